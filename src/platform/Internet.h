#pragma once

#include <algorithm>
#include <chrono>
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

/// How long one request may take, whatever the server does. It must connect within
/// `connect`; once connected, at least `lowSpeedBytes` (headers and body) must arrive in every
/// `lowSpeedWindow`; its headers may not exceed `maxHeaderBytes`; and it is over within `total`
/// (redirects included). A server that accepts and stays silent, trickles a byte now and then
/// or sends headers without end is therefore given up after connect + lowSpeedWindow at most
/// (15 s with the defaults), and any request after `total` (5 minutes).
struct NetworkLimits {
  std::chrono::milliseconds connect{5000};
  std::chrono::milliseconds lowSpeedWindow{10000};
  size_t lowSpeedBytes = 1024;
  std::chrono::milliseconds total{300000};
  size_t maxHeaderBytes = 64 * 1024;
};

/// Limits with the values of text "<connect>,<lowSpeedWindow>,<lowSpeedBytes>,<total>" (times
/// in milliseconds, as in $QUILLONET_NETWORK_LIMITS); `limits` unchanged when text is empty or
/// cannot be read.
inline NetworkLimits OverrideLimits(NetworkLimits limits, std::string_view text) {
  long long values[4] = {};
  size_t at = 0;
  for (long long& value : values) {
    const size_t end = std::min(text.find(',', at), text.size());
    if (at >= end || end - at > 9) return limits;
    for (size_t i = at; i < end; ++i) {
      if (text[i] < '0' || text[i] > '9') return limits;
      value = value * 10 + (text[i] - '0');
    }
    at = end + 1;
  }
  if (at != text.size() + 1) return limits;
  limits.connect = std::chrono::milliseconds(values[0]);
  limits.lowSpeedWindow = std::chrono::milliseconds(values[1]);
  limits.lowSpeedBytes = static_cast<size_t>(values[2]);
  limits.total = std::chrono::milliseconds(values[3]);
  return limits;
}

/// HTTP GET: always from the server (no cache), agent "Mozilla", direct connection.
class Internet {
 public:
  virtual ~Internet() = default;
  /// Called after every chunk read (at most 256 bytes); the bytes are passed exactly. Returning
  /// false stops the transfer (which then is not complete).
  using ChunkCallback = std::function<bool(const char* data, size_t size)>;
  /// Fetches url. The body of every response is passed on, error statuses included; a
  /// connection or request that could not be opened gives an incomplete reply with status 0,
  /// and a transfer that stalls ends within the backend's NetworkLimits. Get may be called from
  /// any thread (the callback runs on the calling thread); calls do not share state.
  virtual HttpReply Get(const std::string& url, const ChunkCallback& onChunk) = 0;
};

}  // namespace quill::platform
