#include "platform/posix/CurlInternet.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "support/LocalHttpServer.h"
#include "support/ScopedEnv.h"

namespace quill::platform::posix {
namespace {

std::string AllByteValues(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return body;
}

struct Received {
  std::string bytes;
  std::vector<size_t> chunkSizes;
  Internet::ChunkCallback Callback() {
    return [this](const char* data, size_t size) {
      bytes.append(data, size);
      chunkSizes.push_back(size);
      return true;
    };
  }
};

class CurlInternetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    body_ = AllByteValues(10000);
    server_.Routes().Get("/body", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(body_, "application/octet-stream");
    });
    server_.Routes().Get("/headers", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(seenMutex_);
      agent_ = req.get_header_value("User-Agent");
      cacheControl_ = req.get_header_value("Cache-Control");
      pragma_ = req.get_header_value("Pragma");
      res.set_content("ok", "text/plain");
    });
    server_.Routes().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("no such page", "text/plain");
    });
    server_.Routes().Get("/moved", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/body");
    });
    server_.Routes().Get("/silent",
                         [this](const httplib::Request&, httplib::Response&) { server_.Stall(); });
    server_.Routes().Get("/breaks-off", [this](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("text/plain",
                                       [this](size_t offset, httplib::DataSink& sink) {
                                         if (offset == 0) {
                                           std::string start(300, 'x');
                                           sink.write(start.data(), start.size());
                                           return true;
                                         }
                                         server_.Stall();
                                         return false;
                                       });
    });
    server_.Start();
  }

  test::LocalHttpServer server_;
  std::string body_;
  std::mutex seenMutex_;
  std::string agent_, cacheControl_, pragma_;
};

TEST_F(CurlInternetTest, BodyArrivesExactlyInChunksOfAtMost256Bytes) {
  CurlInternet net(5, 5);
  Received got;
  ASSERT_TRUE(net.Get(server_.Url("/body"), got.Callback()).Success());
  EXPECT_EQ(got.bytes, body_);
  ASSERT_FALSE(got.chunkSizes.empty());
  for (size_t size : got.chunkSizes) {
    EXPECT_GT(size, 0u);
    EXPECT_LE(size, 256u);
  }
  EXPECT_GE(got.chunkSizes.size(), (body_.size() + 255) / 256);

  // A redirect is followed to the final body.
  Received moved;
  ASSERT_TRUE(net.Get(server_.Url("/moved"), moved.Callback()).Success());
  EXPECT_EQ(moved.bytes, body_);
}

TEST_F(CurlInternetTest, AsksForAFreshCopyAsMozillaAndIgnoresProxySettings) {
  // A proxy that does not exist: a request sent through it would fail.
  bool ok = false;
  Received got;
  {
    test::ScopedEnv proxy("http_proxy", "http://127.0.0.1:9");
    CurlInternet net(5, 5);
    ok = net.Get(server_.Url("/headers"), got.Callback()).Success();
  }

  ASSERT_TRUE(ok);
  EXPECT_EQ(got.bytes, "ok");
  std::lock_guard lock(seenMutex_);
  EXPECT_EQ(agent_, "Mozilla");
  EXPECT_EQ(cacheControl_, "no-cache");
  EXPECT_EQ(pragma_, "no-cache");
}

TEST_F(CurlInternetTest, ErrorStatusStillDeliversItsBody) {
  CurlInternet net(5, 5);
  Received got;
  platform::HttpReply reply = net.Get(server_.Url("/missing"), got.Callback());
  EXPECT_TRUE(reply.complete);
  EXPECT_EQ(reply.status, 404);
  EXPECT_FALSE(reply.Success());
  EXPECT_EQ(got.bytes, "no such page");
  EXPECT_EQ(reply.Header("content-type"), "text/plain");
  // After a redirect the final response's status and headers are reported.
  reply = net.Get(server_.Url("/moved"), got.Callback());
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.Header("Location"), "");
}

TEST_F(CurlInternetTest, UnreachableOrUnsupportedAddressFails) {
  CurlInternet net(5, 5);
  std::string refusedUrl;
  {
    test::LocalHttpServer closed;  // a port that was just free: nothing listens there any more
    closed.Start();
    refusedUrl = closed.Url("/");
    closed.Stop();
  }
  Received got;
  EXPECT_EQ(net.Get(refusedUrl, got.Callback()).status, 0);
  EXPECT_TRUE(got.chunkSizes.empty());
  EXPECT_FALSE(net.Get("not a url", got.Callback()).complete);
  EXPECT_FALSE(net.Get("file:///etc/passwd", got.Callback()).complete);
  EXPECT_TRUE(got.bytes.empty());
}

TEST_F(CurlInternetTest, SilentServerTimesOutInsteadOfHanging) {
  CurlInternet net(1, 1);
  Received got;
  EXPECT_FALSE(net.Get(server_.Url("/silent"), got.Callback()).complete);
  EXPECT_TRUE(got.bytes.empty());
  server_.Release();
}

TEST_F(CurlInternetTest, TransferThatBreaksOffIsAFailure) {
  CurlInternet net(1, 1);
  Received got;
  EXPECT_FALSE(net.Get(server_.Url("/breaks-off"), got.Callback()).complete);
  EXPECT_EQ(got.bytes, std::string(300, 'x'));  // what came is passed on, then the stall
  server_.Release();
}

TEST_F(CurlInternetTest, ThrowingCallbackEndsTheTransferAsAFailure) {
  CurlInternet net(5, 5);
  int calls = 0;
  bool ok = net.Get(server_.Url("/body"),
                    [&](const char*, size_t) -> bool {
                      ++calls;
                      throw std::runtime_error("handler failed");
                    })
                .complete;
  EXPECT_FALSE(ok);
  EXPECT_EQ(calls, 1);
  // A receiver that has had enough stops the transfer the same way.
  calls = 0;
  EXPECT_FALSE(
      net.Get(server_.Url("/body"), [&](const char*, size_t) { return ++calls < 3; }).complete);
  EXPECT_EQ(calls, 3);
}

}  // namespace
}  // namespace quill::platform::posix
