#pragma once

#include <string>

#include "platform/Internet.h"

namespace quill::platform::posix {

/// HTTP GET through libcurl: agent "Mozilla", a direct connection (proxy settings of the
/// environment are ignored), never a cached copy. Redirects are followed, as the classic
/// Internet functions do, but only to http and https addresses. The transfer runs on the
/// calling thread through the multi interface, which wakes every 50 ms to keep the limits.
class CurlInternet : public platform::Internet {
 public:
  /// Every request keeps to limits (see NetworkLimits).
  explicit CurlInternet(const NetworkLimits& limits = {});
  /// Connection set-up within connectTimeoutSeconds; a transfer that moves less than one byte
  /// in lowSpeedTimeoutSeconds is abandoned.
  CurlInternet(int connectTimeoutSeconds, int lowSpeedTimeoutSeconds);

  /// Chunks of at most 256 bytes, exact bytes; an HTTP error status still delivers its body.
  /// Incomplete when the address cannot be reached, the transfer breaks off or times out.
  HttpReply Get(const std::string& url, const ChunkCallback& onChunk) override;

  /// Largest piece handed to the callback.
  static constexpr size_t kChunkSize = 256;

 private:
  NetworkLimits limits_;
};

}  // namespace quill::platform::posix
