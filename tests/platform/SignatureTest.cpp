// The update-signature check, the same on every backend (system cryptography or the library).
#include "platform/Signature.h"

#include <gtest/gtest.h>

#include <string>

namespace quill::platform {
namespace {

constexpr const char* kKey =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEGqmbcOvraxTpRhcZoP0rNHVnjznm\n"
    "b3L5wAfSOfwWJ/2FEEjxk1lfOJHVXRW9wROU3ZDnbF6L1b0dehcGAIzEfw==\n"
    "-----END PUBLIC KEY-----\n";
constexpr const char* kOtherKey =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAE7u+iuUKbEbtAzwBadjmAQkNObUCl\n"
    "tjxPHiESGtshgTO8rH5XB/2fkK9iQbkSrzIkbwuElWa5y62/Ny+Sy3JAQQ==\n"
    "-----END PUBLIC KEY-----\n";
constexpr const char* kEdwardsKey =
    "-----BEGIN PUBLIC KEY-----\n"
    "MCowBQYDK2VwAyEANFFCehhnaXiy2Kxq1eZ3N/0/u+O9OA+cV7NhuL+cLK4=\n"
    "-----END PUBLIC KEY-----\n";
constexpr const char* kData = "QUILLONET UPDATE 20260101-000000\r\n";
// Two signatures of kData: both numbers of 32 bytes, and one with a leading zero byte.
constexpr const char* kSignature =
    "MEQCICsdFTOv2Co7F68jlZIOUHgqo8Y34fcnZV2Z4K2B3nBOAiAPViNejAErzwz9eOnGkCoLGXGtD4GD+"
    "aPwRl8OQl47Pg==";
constexpr const char* kPaddedSignature =
    "MEUCICcVI28NncDHx5HSq9jfwzJLdE0Il+2evY4JkbyXFraNAiEAx9dgvucf2pJrbCLrGVGw2YCB/"
    "MFT3kMunBx4IOV2FNY=";

TEST(SignatureTest, AcceptsOnlyTheExactBytesSignedWithTheKey) {
  EXPECT_TRUE(VerifySignature(kKey, kData, kSignature));
  EXPECT_TRUE(VerifySignature(kKey, kData, kPaddedSignature));
  EXPECT_FALSE(VerifySignature(kKey, std::string(kData) + " ", kSignature));
  EXPECT_FALSE(VerifySignature(kKey, "", kSignature));
  EXPECT_FALSE(VerifySignature(kOtherKey, kData, kSignature));
}

TEST(SignatureTest, RefusesMalformedKeysAndSignatures) {
  std::string flipped = kSignature;
  flipped[20] = flipped[20] == 'A' ? 'B' : 'A';
  EXPECT_FALSE(VerifySignature(kKey, kData, flipped));
  EXPECT_FALSE(VerifySignature(kKey, kData, std::string(kSignature) + "AAAA"));
  EXPECT_FALSE(VerifySignature(kKey, kData, "not base64!"));
  EXPECT_FALSE(VerifySignature(kKey, kData, ""));
  EXPECT_FALSE(VerifySignature(kEdwardsKey, kData, kSignature));
  EXPECT_FALSE(VerifySignature("-----BEGIN PUBLIC KEY-----\nAAAA\n-----END PUBLIC KEY-----\n",
                               kData, kSignature));
  EXPECT_FALSE(VerifySignature("", kData, kSignature));
}

}  // namespace
}  // namespace quill::platform
