#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quill::platform {

/// What an HTTP GET ended with, besides the body bytes.
struct HttpReply {
  /// The transfer ran to its end: not refused, not cut off, not timed out, not stopped by the
  /// receiver. Says nothing about the status.
  bool complete = false;
  /// Status of the final response (after redirects); 0 when no response arrived.
  int status = 0;
  /// Header lines of the final response, names and values as sent (values trimmed).
  std::vector<std::pair<std::string, std::string>> headers;

  bool Success() const { return complete && status >= 200 && status <= 299; }
  /// The value of the first header of that name (compared without regard to ASCII case);
  /// empty when there is none.
  std::string Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
      if (key.size() != name.size()) continue;
      bool same = true;
      for (size_t i = 0; i < key.size() && same; ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        same = lower(key[i]) == lower(name[i]);
      }
      if (same) return value;
    }
    return {};
  }
};

/// HTTP GET: always from the server (no cache), agent "Mozilla", direct connection.
class Internet {
 public:
  virtual ~Internet() = default;
  /// Called after every chunk read (at most 256 bytes); the bytes are passed exactly. Returning
  /// false stops the transfer (which then is not complete).
  using ChunkCallback = std::function<bool(const char* data, size_t size)>;
  /// Fetches url. The body of every response is passed on, error statuses included; a
  /// connection or request that could not be opened gives an incomplete reply with status 0,
  /// and a transfer that stalls ends after the configured timeouts.
  virtual HttpReply Get(const std::string& url, const ChunkCallback& onChunk) = 0;
};

}  // namespace quill::platform
