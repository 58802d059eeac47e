#include "platform/posix/CurlInternet.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace quill::platform::posix {
namespace {

bool GlobalInitOnce() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return ok;
}

struct Transfer {
  const Internet::ChunkCallback* onChunk = nullptr;
  bool callbackFailed = false;
  /// Headers of the response being received; a new status line (a redirect, an interim
  /// reply) starts them afresh, so the last response's remain.
  std::vector<std::pair<std::string, std::string>> headers;
  /// Stall watch: when the byte count last moved (counted from the connection).
  CURL* handle = nullptr;
  std::chrono::seconds idleLimit{0};
  curl_off_t lastBytes = -1;
  std::chrono::steady_clock::time_point lastMove;
};

/// Ends a transfer on which no byte has moved for the idle limit. The speed check alone
/// averages over several seconds, so a server that sends a little and then goes silent
/// would be waited on longer than configured.
int WatchProgress(void* user, curl_off_t /*dlTotal*/, curl_off_t dlNow, curl_off_t /*ulTotal*/,
                  curl_off_t ulNow) {
  auto* transfer = static_cast<Transfer*>(user);
  auto now = std::chrono::steady_clock::now();
  curl_off_t moved = dlNow + ulNow;
  curl_off_t connectedAfter = 0;
  if (curl_easy_getinfo(transfer->handle, CURLINFO_CONNECT_TIME_T, &connectedAfter) != CURLE_OK ||
      connectedAfter == 0) {
    transfer->lastMove = now;  // still connecting: the connect timeout governs
    return 0;
  }
  if (moved != transfer->lastBytes) {
    transfer->lastBytes = moved;
    transfer->lastMove = now;
    return 0;
  }
  return now - transfer->lastMove > transfer->idleLimit ? 1 : 0;
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t total = size * count;
  try {
    for (size_t done = 0; done < total;) {
      size_t piece = std::min(CurlInternet::kChunkSize, total - done);
      if (*transfer->onChunk && !(*transfer->onChunk)(data + done, piece)) {
        transfer->callbackFailed = true;  // the receiver has had enough
        return 0;
      }
      done += piece;
    }
  } catch (...) {
    // Nothing may unwind through the C library: abort the transfer instead.
    transfer->callbackFailed = true;
    return 0;
  }
  return total;
}

size_t ReadHeader(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t total = size * count;
  try {
    std::string line(data, total);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.rfind("HTTP/", 0) == 0) {
      transfer->headers.clear();
    } else if (size_t colon = line.find(':'); colon != std::string::npos && colon > 0) {
      std::string value = line.substr(colon + 1);
      const size_t first = value.find_first_not_of(" \t");
      value = first == std::string::npos ? std::string() : value.substr(first);
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
      transfer->headers.emplace_back(line.substr(0, colon), std::move(value));
    }
  } catch (...) {
    return 0;
  }
  return total;
}

struct EasyHandle {
  CURL* handle = curl_easy_init();
  curl_slist* headers = nullptr;
  ~EasyHandle() {
    if (handle != nullptr) curl_easy_cleanup(handle);
    curl_slist_free_all(headers);
  }
};

}  // namespace

CurlInternet::CurlInternet(int connectTimeoutSeconds, int lowSpeedTimeoutSeconds)
    : connectTimeoutSeconds_(std::max(1, connectTimeoutSeconds)),
      lowSpeedTimeoutSeconds_(std::max(1, lowSpeedTimeoutSeconds)) {}

HttpReply CurlInternet::Get(const std::string& url, const ChunkCallback& onChunk) {
  HttpReply reply;
  if (!GlobalInitOnce()) return reply;
  EasyHandle easy;
  if (easy.handle == nullptr) return reply;
  CURL* h = easy.handle;

  // Always from the server: the request asks every cache on the way for a fresh copy.
  for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
    curl_slist* grown = curl_slist_append(easy.headers, header);
    if (grown == nullptr) return reply;
    easy.headers = grown;
  }

  Transfer transfer;
  transfer.onChunk = &onChunk;
  transfer.handle = h;
  transfer.idleLimit = std::chrono::seconds(lowSpeedTimeoutSeconds_);
  bool set = true;
  auto option = [&set](CURLcode code) { set = set && code == CURLE_OK; };
  option(curl_easy_setopt(h, CURLOPT_URL, url.c_str()));
  option(curl_easy_setopt(h, CURLOPT_HTTPGET, 1L));
  option(curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla"));
  option(curl_easy_setopt(h, CURLOPT_HTTPHEADER, easy.headers));
  // Direct access: an empty proxy disables the proxy variables of the environment too.
  option(curl_easy_setopt(h, CURLOPT_PROXY, ""));
  option(curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https"));
  option(curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
  option(curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L));
  option(curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L));
  option(curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L));
  option(curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L));
  option(curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(connectTimeoutSeconds_)));
  // A server that stops sending must not hang the program: under 1 byte/s for this long ends
  // the transfer.
  option(curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L));
  option(curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(lowSpeedTimeoutSeconds_)));
  option(curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &WatchProgress));
  option(curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer));
  option(curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L));
  option(curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteBody));
  option(curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer));
  option(curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &ReadHeader));
  option(curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer));
  // An https server must prove who it is.
  option(curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L));
  option(curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L));
  if (!set) return reply;

  CURLcode result = curl_easy_perform(h);
  long status = 0;
  if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK)
    reply.status = static_cast<int>(status);
  reply.complete = result == CURLE_OK && !transfer.callbackFailed;
  reply.headers = std::move(transfer.headers);
  return reply;
}

}  // namespace quill::platform::posix
