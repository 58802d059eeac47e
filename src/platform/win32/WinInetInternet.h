#pragma once

#include "platform/Internet.h"

namespace quill::platform::win32 {

/// HTTP GET through WinInet: no cache, agent "Mozilla", direct connection, the configured
/// connect and receive time-outs.
class WinInetInternet : public Internet {
 public:
  static constexpr size_t kChunkSize = 256;
  WinInetInternet(int connectTimeoutSeconds, int receiveTimeoutSeconds);
  HttpReply Get(const std::string& url, const ChunkCallback& onChunk) override;

 private:
  unsigned long connectTimeoutMs_;
  unsigned long receiveTimeoutMs_;
};

/// Header lines of a raw CRLF header block (the status line and blank lines skipped),
/// names and values as sent, values trimmed.
std::vector<std::pair<std::string, std::string>> ParseHeaderBlock(const std::string& block);

}  // namespace quill::platform::win32
