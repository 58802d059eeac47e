#pragma once

#include "platform/Internet.h"

namespace quill::platform::win32 {

/// HTTP GET through WinInet: no cache, agent "Mozilla", direct connection, within the
/// NetworkLimits: WinInet's own connect and receive time-outs, and the caller giving up on a
/// request that runs over its total time or moves too slowly (its transfer thread then ends
/// on its own, without calling back).
class WinInetInternet : public Internet {
 public:
  static constexpr size_t kChunkSize = 256;
  explicit WinInetInternet(const NetworkLimits& limits = {});
  HttpReply Get(const std::string& url, const ChunkCallback& onChunk) override;

 private:
  struct Shared;
  static HttpReply Transfer(Shared& shared, const std::string& url, const NetworkLimits& limits,
                            const ChunkCallback& onChunk);

  NetworkLimits limits_;
};

/// Header lines of a raw CRLF header block (the status line and blank lines skipped),
/// names and values as sent, values trimmed.
std::vector<std::pair<std::string, std::string>> ParseHeaderBlock(const std::string& block);

}  // namespace quill::platform::win32
