#pragma once

#include <functional>
#include <string>

namespace quill::platform {

/// HTTP GET: always from the server (no cache), agent "Mozilla", direct connection.
class Internet {
 public:
  virtual ~Internet() = default;
  /// Called after every chunk read (at most 256 bytes); the bytes are passed exactly.
  using ChunkCallback = std::function<void(const char* data, size_t size)>;
  /// Fetches url. Returns false when the connection or the request could not be opened;
  /// a transfer that stalls ends after the configured timeouts.
  virtual bool Get(const std::string& url, const ChunkCallback& onChunk) = 0;
};

}  // namespace quill::platform
