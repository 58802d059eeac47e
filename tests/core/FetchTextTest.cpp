#include "core/FetchText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/CurlInternet.h"
#include "support/LocalHttpServer.h"
#include "support/TestHost.h"
#include "support/TestPlatform.h"

namespace quill {
namespace {

std::string SampleBody() {
  std::string body;
  for (int i = 0; body.size() < 1000; ++i) body += "line " + std::to_string(i) + "\r\n";
  body.resize(1000);
  body[500] = '\0';  // exact bytes, even a zero
  body[501] = '\xE9';
  return body;
}

TEST(FetchText, ProgressCountsTheBytesAndEveryChunkYields) {
  std::string body = SampleBody();
  test::LocalHttpServer server;
  server.Serve("/text", body);
  server.Start();
  platform::posix::CurlInternet net(5, 5);
  test::TestHost host;

  size_t told = 0;
  std::vector<size_t> seenAtYield;
  host.EveryDoEvents([&] { seenAtYield.push_back(told); });
  std::string text = FetchText(net, host, server.Url("/text"), [&](size_t n) { told = n; });

  EXPECT_EQ(text, body);
  ASSERT_GE(seenAtYield.size(), 4u) << "1000 bytes take at least four chunks";
  EXPECT_EQ(host.DoEventsCount(), static_cast<int>(seenAtYield.size()));
  // Progress is told before each yield, so the user sees every step.
  size_t previous = 0;
  for (size_t count : seenAtYield) {
    EXPECT_GT(count, previous);
    EXPECT_LE(count - previous, 256u);
    previous = count;
  }
  EXPECT_EQ(told, 1000u);
}

TEST(FetchText, WithoutProgressStillYieldsAfterEveryChunk) {
  test::FakeInternet net({"ab", std::string(256, 'c'), "d"}, true);
  test::TestHost host;
  EXPECT_EQ(FetchText(net, host, "http://example.invalid/"), "ab" + std::string(256, 'c') + "d");
  EXPECT_EQ(host.DoEventsCount(), 3);
}

TEST(FetchText, FailuresGiveEmptyText) {
  test::TestHost host;
  size_t told = 0;
  auto progress = [&](size_t n) { told = n; };

  // Nothing listens there any more.
  std::string refused;
  {
    test::LocalHttpServer gone;
    gone.Start();
    refused = gone.Url("/text");
  }
  platform::posix::CurlInternet net(5, 5);
  EXPECT_EQ(FetchText(net, host, refused, progress), "");
  EXPECT_EQ(told, 0u);
  EXPECT_EQ(host.DoEventsCount(), 0);

  // A body that broke off is no answer: a partial update must never be taken as whole.
  test::FakeInternet broken({"[partial"}, false);
  EXPECT_EQ(FetchText(broken, host, "http://example.invalid/", progress), "");
  EXPECT_EQ(told, 8u);

  // Only a 2xx reply is an answer: an error page is not a date or an update body.
  for (int code : {404, 500, 302, 0}) {
    test::FakeInternet error({"<html>error</html>"}, true, code);
    EXPECT_EQ(FetchText(error, host, "http://example.invalid/"), "") << code;
  }
  test::FakeInternet created({"made"}, true, 201);
  EXPECT_EQ(FetchText(created, host, "http://example.invalid/"), "made");

  // A body beyond the bound is cut off at once and is no answer.
  test::FakeInternet endless({"12345", "67890", "abcde"}, true);
  const int yieldsBefore = host.DoEventsCount();
  EXPECT_FALSE(FetchReply(endless, host, "http://example.invalid/", {}, 10));
  EXPECT_EQ(host.DoEventsCount() - yieldsBefore, 2);
  EXPECT_TRUE(FetchReply(endless, host, "http://example.invalid/", {}, 15));
}

}  // namespace
}  // namespace quill
