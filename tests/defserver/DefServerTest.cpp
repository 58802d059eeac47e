// The definition server through its HTTP front end, run as a real process.
#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <fstream>

#include "Signer.h"
#include "support/DefServer.h"

namespace quill::test {
namespace {

using defserver::VerifySignature;

class DefServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Publish("20261201-000000", {{"FILE", {"a.txt=A|[windir]|Adware"}}}));
    ASSERT_TRUE(server_.Publish("20261205-143000", {{"FILE", {"b.txt=B|[windir]|Adware"}}}));
    ASSERT_TRUE(server_.Start());
  }

  httplib::Result Get(const std::string& target) {
    httplib::Client client(server_.BaseUrl());
    return client.Get(target.c_str());
  }

  // The body, after checking that it carries a valid signature.
  std::string SignedBody(const std::string& target) {
    auto res = Get(target);
    EXPECT_TRUE(res) << target;
    if (!res) return {};
    EXPECT_EQ(res->status, 200) << target;
    EXPECT_TRUE(VerifySignature(server_.PublicKeyPath(), res->body,
                                res->get_header_value("X-Quillonet-Signature")))
        << target;
    return res->body;
  }

  DefServer server_;
};

TEST_F(DefServerTest, DatesAndBodiesAreSignedAndFollowTheClientDate) {
  EXPECT_EQ(SignedBody("/asp/currentDateNEW.asp?prog=Quillonet&comp=Quillonet%20Software"),
            "12/5/2026 2:30:00 PM");
  EXPECT_EQ(SignedBody("/asp/date.asp"), "12/5/2026 2:30:00 PM");
  EXPECT_EQ(SignedBody("/definitions/version/R.HTM"), "12/5/2026 2:30:00 PM");

  const std::string fromFirst = SignedBody("/asp/getDefsNEW.asp?date=12%2F3%2F2026");
  EXPECT_NE(fromFirst.find("|DEL[DEF]"), std::string::npos);
  EXPECT_NE(fromFirst.find("|ADD[DEF]"), std::string::npos);
  // Older than every release, unreadable or missing: everything, nothing deleted.
  const std::string full = SignedBody("/asp/getDefsNEW.asp?date=3%2F16%2F2006%2012%3A00%3A00%20AM");
  EXPECT_EQ(full.find("|DEL[DEF]"), std::string::npos);
  EXPECT_EQ(SignedBody("/asp/getDefsNEW.asp?date=13%2F45%2F2006"), full);
  EXPECT_EQ(SignedBody("/asp/getDefsNEW.asp"), full);
  // At the newest release: an empty body.
  EXPECT_EQ(SignedBody("/asp/getDefsNEW.asp?date=12%2F5%2F2026%202%3A30%3A00%20PM"), "");

  std::ifstream stored(server_.ReleaseFile("20261205-143000", "FileDefinition.dat"),
                       std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(stored)), {});
  EXPECT_EQ(SignedBody("/definitions/data/FileDefinition.dat"), file);

  // A signature does not fit other bytes.
  auto res = Get("/asp/date.asp");
  ASSERT_TRUE(res);
  EXPECT_FALSE(VerifySignature(server_.PublicKeyPath(), res->body + " ",
                               res->get_header_value("X-Quillonet-Signature")));
}

TEST_F(DefServerTest, ResearchReportsAreStoredDecodedOneALine) {
  EXPECT_EQ(SignedBody("/asp/submitFP.asp?files=C%3A%5Cmy%20app%5Ca.exe%7CD%3A%5Cb%7C"
                       "&details=false%20alarm%20%26%20more%0D%0Aline"),
            "OK");
  EXPECT_EQ(SignedBody("/asp/getData.asp?data=%A1%A2%7C%5C"), "Added");
  const auto fp = server_.ResearchLog("submitFP.log");
  ASSERT_EQ(fp.size(), 1u);
  EXPECT_NE(fp[0].find("\t127.0.0.1\tfiles=C:\\\\my app\\\\a.exe|D:\\\\b|\t"
                       "details=false alarm & more\\x0D\\x0Aline"),
            std::string::npos)
      << fp[0];
  const auto data = server_.ResearchLog("getData.log");
  ASSERT_EQ(data.size(), 1u);
  EXPECT_NE(data[0].find("\tdata=\xA1\xA2|\\\\"), std::string::npos) << data[0];
  // Raw targets are logged as they arrived.
  const auto log = server_.RequestLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1], "/asp/getData.asp?data=%A1%A2%7C%5C");
}

TEST_F(DefServerTest, BadRequestsAreRefusedAndTheServerGoesOn) {
  EXPECT_EQ(Get("/asp/nothing.asp")->status, 404);
  EXPECT_EQ(Get("/Languages/0/Localization.txt")->status, 404);
  EXPECT_EQ(Get("/Languages/..%2F..%2Fsigning-key.pem/Localization.txt")->status, 404);
  EXPECT_EQ(Get("/asp/getData.asp?data=" + std::string(9000, 'a'))->status, 414);
  EXPECT_EQ(Get("/asp/getData.asp?data=%ZZ")->status, 400);
  EXPECT_EQ(Get("/asp/getData.asp")->status, 400);
  httplib::Client client(server_.BaseUrl());
  EXPECT_EQ(client.Post("/asp/date.asp", "x", "text/plain")->status, 405);
  httplib::Headers range{{"Range", "bytes=0-1"}};
  EXPECT_EQ(client.Get("/asp/date.asp", range)->status, 416);
  // Garbage on the wire, then a normal request.
  const std::string port = server_.BaseUrl().substr(server_.BaseUrl().rfind(':') + 1);
  const std::string garbage =
      "printf 'G\\001T /\\377 HTTP/9\\r\\nX: \\r\\n\\r\\n' | "
      "timeout 5 bash -c 'cat > /dev/tcp/127.0.0.1/" +
      port + "'";
  EXPECT_EQ(std::system(garbage.c_str()), 0);
  EXPECT_EQ(SignedBody("/asp/date.asp"), "12/5/2026 2:30:00 PM");

  std::filesystem::create_directories(server_.Root() / "Languages" / "0");
  std::ofstream(server_.Root() / "Languages" / "0" / "Localization.txt") << "[Deutsch]\r\n";
  EXPECT_EQ(SignedBody("/Languages/0/Localization.txt"), "[Deutsch]\r\n");
}

TEST(DefServerStartTest, RefusesToServeWithoutItsKey) {
  DefServer server;
  std::filesystem::remove(server.Root() / "signing-key.pem");
  EXPECT_FALSE(server.Start());
}

}  // namespace
}  // namespace quill::test
