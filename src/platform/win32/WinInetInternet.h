#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Internet.h"

namespace quill::platform::win32 {

/// HTTP GET through WinInet: no cache, agent "Mozilla", direct connection, within the
/// NetworkLimits (WinInet's own connect and receive time-outs, and a watch that closes the
/// session of a request that runs over its total time or moves too slowly).
class WinInetInternet : public Internet {
 public:
  static constexpr size_t kChunkSize = 256;
  explicit WinInetInternet(const NetworkLimits& limits = {});
  HttpReply Get(const std::string& url, const ChunkCallback& onChunk) override;

 private:
  class Watchdog {
   public:
    Watchdog(void* session, const NetworkLimits& limits);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    void Opened(void* request);
    void Moved(size_t bytes);
    bool Fired();
    /// Stops the watch and closes the handles it did not close; false when it gave up.
    bool Finish();

   private:
    void* session_;
    void* request_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t moved_ = 0;
    bool done_ = false;
    bool fired_ = false;
    std::thread thread_;
  };
  HttpReply Transfer(void* session, const std::string& url, const ChunkCallback& onChunk,
                     Watchdog& watch);

  NetworkLimits limits_;
};

/// Header lines of a raw CRLF header block (the status line and blank lines skipped),
/// names and values as sent, values trimmed.
std::vector<std::pair<std::string, std::string>> ParseHeaderBlock(const std::string& block);

}  // namespace quill::platform::win32
