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
  /// Bytes received so far (headers and body), for the low-speed watch.
  size_t moved = 0;
  size_t headerBytes = 0;
  size_t maxHeaderBytes = 0;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t total = size * count;
  transfer->moved += total;
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
  transfer->moved += total;
  transfer->headerBytes += total;
  if (transfer->headerBytes > transfer->maxHeaderBytes) return 0;  // headers without end
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
  CURLM* multi = curl_multi_init();
  bool added = false;
  curl_slist* headers = nullptr;
  ~EasyHandle() {
    if (added) curl_multi_remove_handle(multi, handle);
    if (multi != nullptr) curl_multi_cleanup(multi);
    if (handle != nullptr) curl_easy_cleanup(handle);
    curl_slist_free_all(headers);
  }
};

/// Runs the transfer to its end on the calling thread, waking at least every 50 ms to give up
/// on one that moves fewer than limits.lowSpeedBytes in a window once connected. Returns the
/// transfer's result; CURLE_OPERATION_TIMEDOUT when given up for moving too slowly.
CURLcode Perform(EasyHandle& easy, const Transfer& transfer, const NetworkLimits& limits) {
  using Clock = std::chrono::steady_clock;
  if (curl_multi_add_handle(easy.multi, easy.handle) != CURLM_OK) return CURLE_FAILED_INIT;
  easy.added = true;
  Clock::time_point windowStart = Clock::now();
  size_t windowBase = 0;
  for (int running = 1; running != 0;) {
    if (curl_multi_perform(easy.multi, &running) != CURLM_OK) return CURLE_FAILED_INIT;
    if (running == 0) break;
    const auto now = Clock::now();
    curl_off_t connectedAfter = 0;
    const bool connected =
        curl_easy_getinfo(easy.handle, CURLINFO_CONNECT_TIME_T, &connectedAfter) == CURLE_OK &&
        connectedAfter != 0;
    if (!connected) {
      windowStart = now;  // still connecting: the connect time-out governs
    } else if (now - windowStart >= limits.lowSpeedWindow) {
      if (transfer.moved - windowBase < limits.lowSpeedBytes) return CURLE_OPERATION_TIMEDOUT;
      windowStart = now;
      windowBase = transfer.moved;
    }
    if (curl_multi_poll(easy.multi, nullptr, 0, 50, nullptr) != CURLM_OK) return CURLE_FAILED_INIT;
  }
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(easy.multi, &queued))
    if (message->msg == CURLMSG_DONE) return message->data.result;
  return CURLE_FAILED_INIT;
}

}  // namespace

CurlInternet::CurlInternet(const NetworkLimits& limits) : limits_(limits) {
  using std::chrono::milliseconds;
  limits_.connect = std::max(limits_.connect, milliseconds(1));
  limits_.lowSpeedWindow = std::max(limits_.lowSpeedWindow, milliseconds(1));
  limits_.total = std::max(limits_.total, milliseconds(1));
}

CurlInternet::CurlInternet(int connectTimeoutSeconds, int lowSpeedTimeoutSeconds)
    : CurlInternet(NetworkLimits{std::chrono::seconds(std::max(1, connectTimeoutSeconds)),
                                 std::chrono::seconds(std::max(1, lowSpeedTimeoutSeconds)), 1,
                                 NetworkLimits().total, NetworkLimits().maxHeaderBytes}) {}

HttpReply CurlInternet::Get(const std::string& url, const ChunkCallback& onChunk) {
  HttpReply reply;
  if (!GlobalInitOnce()) return reply;
  EasyHandle easy;
  if (easy.handle == nullptr || easy.multi == nullptr) return reply;
  CURL* h = easy.handle;

  // Always from the server: the request asks every cache on the way for a fresh copy.
  for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
    curl_slist* grown = curl_slist_append(easy.headers, header);
    if (grown == nullptr) return reply;
    easy.headers = grown;
  }

  Transfer transfer;
  transfer.onChunk = &onChunk;
  transfer.maxHeaderBytes = limits_.maxHeaderBytes;
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
  // A server that stalls must not hang the program: bounded set-up and total time here, the
  // low-speed watch in Perform.
  option(
      curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connect.count())));
  option(curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.total.count())));
  option(curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteBody));
  option(curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer));
  option(curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &ReadHeader));
  option(curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer));
  // An https server must prove who it is.
  option(curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L));
  option(curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L));
  if (!set) return reply;

  const CURLcode result = Perform(easy, transfer, limits_);
  long status = 0;
  if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK)
    reply.status = static_cast<int>(status);
  reply.complete = result == CURLE_OK && !transfer.callbackFailed;
  reply.headers = std::move(transfer.headers);
  return reply;
}

}  // namespace quill::platform::posix
