#include "Signer.h"

#include <cstdio>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/UpdateStatement.h"

namespace quill::defserver {
namespace {

struct PkeyDeleter {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CtxDeleter {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
struct BioDeleter {
  void operator()(BIO* b) const { BIO_free(b); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyDeleter>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, CtxDeleter>;
using Bio = std::unique_ptr<BIO, BioDeleter>;

bool IsP256(EVP_PKEY* key) {
  char group[64] = {};
  size_t len = 0;
  return EVP_PKEY_get_base_id(key) == EVP_PKEY_EC &&
         EVP_PKEY_get_utf8_string_param(key, "group", group, sizeof group, &len) == 1 &&
         std::string_view(group, len) == "prime256v1";
}

std::string Base64(const std::vector<unsigned char>& bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes.data(),
                                static_cast<int>(bytes.size()));
  out.resize(n < 0 ? 0 : static_cast<size_t>(n));
  return out;
}

std::optional<std::vector<unsigned char>> FromBase64(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0) return std::nullopt;
  std::vector<unsigned char> out(text.size() / 4 * 3);
  const int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
  if (n < 0) return std::nullopt;
  // EVP_DecodeBlock counts the padding as zero bytes.
  size_t size = static_cast<size_t>(n);
  for (size_t i = text.size(); i > 0 && text[i - 1] == '='; --i) --size;
  out.resize(size);
  return out;
}

// Writes a PEM file with the given permissions, never through an existing file.
bool WritePem(const std::filesystem::path& path, mode_t mode, bool (*write)(BIO*, EVP_PKEY*),
              EVP_PKEY* key) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
  if (fd < 0) return false;
  ::fchmod(fd, mode);
  Bio bio(BIO_new(BIO_s_mem()));
  bool ok = bio && write(bio.get(), key);
  char* data = nullptr;
  const long size = ok ? BIO_get_mem_data(bio.get(), &data) : 0;
  ok = ok && size > 0 && ::write(fd, data, static_cast<size_t>(size)) == size;
  ok = ::fsync(fd) == 0 && ok;
  ::close(fd);
  if (!ok) ::unlink(path.c_str());
  return ok;
}

}  // namespace

std::unique_ptr<Signer> Signer::Load(const std::filesystem::path& keyFile, std::string* error) {
  FILE* f = std::fopen(keyFile.c_str(), "rb");
  if (f == nullptr) {
    if (error) *error = "cannot read the signing key " + keyFile.string();
    return nullptr;
  }
  Pkey key(PEM_read_PrivateKey(f, nullptr, nullptr, nullptr));
  std::fclose(f);
  if (!key || !IsP256(key.get())) {
    if (error) *error = keyFile.string() + " is not an ECDSA P-256 private key";
    return nullptr;
  }
  return std::unique_ptr<Signer>(new Signer(key.release()));
}

Signer::~Signer() {
  EVP_PKEY_free(static_cast<EVP_PKEY*>(key_));
}

std::string Signer::Sign(std::string_view body) const {
  MdCtx ctx(EVP_MD_CTX_new());
  size_t size = 0;
  if (!ctx ||
      EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, static_cast<EVP_PKEY*>(key_)) !=
          1 ||
      EVP_DigestSignUpdate(ctx.get(), body.data(), body.size()) != 1 ||
      EVP_DigestSignFinal(ctx.get(), nullptr, &size) != 1)
    return {};
  std::vector<unsigned char> signature(size);
  if (EVP_DigestSignFinal(ctx.get(), signature.data(), &size) != 1) return {};
  signature.resize(size);
  return Base64(signature);
}

namespace {
std::string DerBase64(EVP_PKEY* key) {
  const int size = i2d_PUBKEY(key, nullptr);
  if (size <= 0) return {};
  std::vector<unsigned char> der(static_cast<size_t>(size));
  unsigned char* at = der.data();
  if (i2d_PUBKEY(key, &at) != size) return {};
  return Base64(der);
}
}  // namespace

std::string Signer::PublicKeyDerBase64() const {
  return DerBase64(static_cast<EVP_PKEY*>(key_));
}

std::string PublicKeyDerBase64(const std::filesystem::path& publicKeyFile) {
  FILE* f = std::fopen(publicKeyFile.c_str(), "rb");
  if (f == nullptr) return {};
  Pkey key(PEM_read_PUBKEY(f, nullptr, nullptr, nullptr));
  std::fclose(f);
  return key && IsP256(key.get()) ? DerBase64(key.get()) : std::string();
}

std::string GenerateKeyPair(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const auto privatePath = dir / "signing-key.pem";
  const auto publicPath = dir / "update-public-key.pem";
  if (std::filesystem::exists(privatePath, ec))
    return privatePath.string() + " already exists; move it away to make a new key pair";
  Pkey key(EVP_EC_gen("P-256"));
  if (!key) return "could not generate a P-256 key";
  std::filesystem::remove(publicPath, ec);
  if (!WritePem(
          privatePath, 0600,
          [](BIO* b, EVP_PKEY* k) {
            return PEM_write_bio_PrivateKey(b, k, nullptr, nullptr, 0, nullptr, nullptr) == 1;
          },
          key.get()))
    return "could not write " + privatePath.string();
  if (!WritePem(
          publicPath, 0644, [](BIO* b, EVP_PKEY* k) { return PEM_write_bio_PUBKEY(b, k) == 1; },
          key.get()))
    return "could not write " + publicPath.string();
  return {};
}

std::string MakeNextKey(const std::filesystem::path& root) {
  return GenerateKeyPair(root / "next-key");
}

std::string EndorseNextKey(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::string error;
  const auto current = Signer::Load(root / "signing-key.pem", &error);
  if (!current) return error;
  const fs::path next = root / "next-key";
  const std::string key = PublicKeyDerBase64(next / "update-public-key.pem");
  if (key.empty() || !Signer::Load(next / "signing-key.pem", &error))
    return "no next key in " + next.string() + " (make one with: quillonet-defserver next-key)";
  const std::string signature = current->Sign(update::EndorsementText(key));
  if (signature.empty()) return "could not sign the endorsement";
  {
    std::ofstream out(root / "endorsements.txt", std::ios::binary | std::ios::app);
    out << update::JoinEndorsements({{key, signature}}) << "\n";
    out.flush();
    if (!out) return "could not write " + (root / "endorsements.txt").string();
  }
  std::error_code ec;
  fs::path retired;
  for (int n = 1; retired.empty() || fs::exists(retired, ec); ++n)
    retired = root / "retired-keys" / std::to_string(n);
  fs::create_directories(retired, ec);
  for (const char* file : {"signing-key.pem", "update-public-key.pem"}) {
    if (fs::exists(root / file, ec)) fs::rename(root / file, retired / file, ec);
    if (!ec) fs::rename(next / file, root / file, ec);
    if (ec) return "could not move the keys into place: " + ec.message();
  }
  fs::remove(next, ec);
  return {};
}

std::string ReadEndorsements(const std::filesystem::path& root) {
  std::ifstream in(root / "endorsements.txt", std::ios::binary);
  std::vector<update::Endorsement> all;
  for (std::string line; std::getline(in, line);)
    for (auto& e : update::SplitEndorsements(line)) all.push_back(std::move(e));
  return update::JoinEndorsements(all);
}

bool VerifySignature(const std::filesystem::path& publicKeyFile, std::string_view body,
                     std::string_view signatureBase64) {
  auto signature = FromBase64(signatureBase64);
  FILE* f = std::fopen(publicKeyFile.c_str(), "rb");
  if (!signature || f == nullptr) {
    if (f) std::fclose(f);
    return false;
  }
  Pkey key(PEM_read_PUBKEY(f, nullptr, nullptr, nullptr));
  std::fclose(f);
  MdCtx ctx(EVP_MD_CTX_new());
  return key && ctx &&
         EVP_DigestVerifyInit(ctx.get(), nullptr, EVP_sha256(), nullptr, key.get()) == 1 &&
         EVP_DigestVerify(ctx.get(), signature->data(), signature->size(),
                          reinterpret_cast<const unsigned char*>(body.data()), body.size()) == 1;
}

}  // namespace quill::defserver
