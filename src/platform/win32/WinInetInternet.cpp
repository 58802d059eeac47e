#include "platform/win32/WinInetInternet.h"

#include "platform/win32/WinApi.h"
// WinInet needs the base definitions above.
#include <wininet.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace quill::platform::win32 {
namespace {

bool IsWebUrl(const std::string& url) {
  std::string scheme = url.substr(0, std::min<size_t>(url.size(), 8));
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return scheme.rfind("http://", 0) == 0 || scheme.rfind("https://", 0) == 0;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

int StatusOf(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      nullptr))
    return 0;
  return static_cast<int>(status);
}

std::string RawHeaders(HINTERNET request, size_t maxBytes) {
  DWORD size = 0;
  HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
  if (size == 0 || size > maxBytes) return {};
  std::string block(size, '\0');
  if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, block.data(), &size, nullptr))
    return {};
  block.resize(std::min<size_t>(size, block.size()));
  return block;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ParseHeaderBlock(const std::string& block) {
  std::vector<std::pair<std::string, std::string>> headers;
  size_t start = 0;
  while (start < block.size()) {
    size_t end = block.find('\n', start);
    if (end == std::string::npos) end = block.size();
    std::string line = block.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\0')) line.pop_back();
    if (line.rfind("HTTP/", 0) == 0) {
      headers.clear();  // a new response's headers start afresh
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) continue;
    headers.emplace_back(line.substr(0, colon), Trimmed(line.substr(colon + 1)));
  }
  return headers;
}

WinInetInternet::WinInetInternet(const NetworkLimits& limits) : limits_(limits) {
  using std::chrono::milliseconds;
  limits_.connect = std::max(limits_.connect, milliseconds(1));
  limits_.lowSpeedWindow = std::max(limits_.lowSpeedWindow, milliseconds(1));
  limits_.total = std::max(limits_.total, milliseconds(1));
}

HttpReply WinInetInternet::Get(const std::string& url, const ChunkCallback& onChunk) {
  HttpReply reply;
  // Only the web: no ftp, no file:, nothing WinInet would also open.
  if (!IsWebUrl(url)) return reply;
  HINTERNET session = InternetOpenA("Mozilla", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (session == nullptr) return reply;
  auto milliseconds = [](std::chrono::milliseconds ms) {
    return static_cast<DWORD>(std::min<long long>(ms.count(), 0x7fffffff));
  };
  DWORD connect = milliseconds(limits_.connect);
  DWORD receive = milliseconds(limits_.lowSpeedWindow);
  InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
  InternetSetOptionA(session, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);

  // The watch ends a request that runs over its time or moves too slowly by closing the
  // session, which ends any call waiting in it; the request is then a failure.
  Watchdog watch(session, limits_);
  reply = Transfer(session, url, onChunk, watch);
  if (!watch.Finish()) reply.complete = false;
  return reply;
}

HttpReply WinInetInternet::Transfer(void* session, const std::string& url,
                                    const ChunkCallback& onChunk, Watchdog& watch) {
  HttpReply reply;
  static const char kNoCache[] = "Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
  HINTERNET request = InternetOpenUrlA(static_cast<HINTERNET>(session), url.c_str(), kNoCache,
                                       static_cast<DWORD>(sizeof kNoCache - 1), flags, 0);
  if (request == nullptr) return reply;
  watch.Opened(request);
  reply.status = StatusOf(request);
  const std::string headers = RawHeaders(request, limits_.maxHeaderBytes);
  if (headers.empty()) return reply;  // unreadable, or headers without end
  watch.Moved(headers.size());
  reply.headers = ParseHeaderBlock(headers);

  char chunk[kChunkSize];
  while (true) {
    DWORD read = 0;
    if (!InternetReadFile(request, chunk, sizeof chunk, &read)) return reply;  // cut off
    if (read == 0) break;
    watch.Moved(read);
    if (watch.Fired()) return reply;  // a trickle the watch has given up on
    try {
      if (onChunk && !onChunk(chunk, read)) return reply;  // the receiver has had enough
    } catch (...) {
      return reply;
    }
  }
  reply.complete = true;
  return reply;
}

WinInetInternet::Watchdog::Watchdog(void* session, const NetworkLimits& limits)
    : session_(session) {
  thread_ = std::thread([this, limits] {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    // The first window also covers the connection.
    auto windowEnd = start + limits.connect + limits.lowSpeedWindow;
    size_t windowBase = 0;
    std::unique_lock lock(mutex_);
    while (!done_) {
      changed_.wait_for(lock, std::chrono::milliseconds(50));
      if (done_) break;
      const auto now = Clock::now();
      bool giveUp = now - start >= limits.total;
      if (!giveUp && now >= windowEnd) {
        giveUp = moved_ - windowBase < limits.lowSpeedBytes;
        windowBase = moved_;
        windowEnd = now + limits.lowSpeedWindow;
      }
      if (giveUp) {
        fired_ = true;
        // Closing the session closes the request under it too.
        InternetCloseHandle(static_cast<HINTERNET>(session_));
        break;
      }
    }
  });
}

void WinInetInternet::Watchdog::Opened(void* request) {
  std::lock_guard lock(mutex_);
  request_ = request;
}

void WinInetInternet::Watchdog::Moved(size_t bytes) {
  std::lock_guard lock(mutex_);
  moved_ += bytes;
}

bool WinInetInternet::Watchdog::Fired() {
  std::lock_guard lock(mutex_);
  return fired_;
}

bool WinInetInternet::Watchdog::Finish() {
  {
    std::lock_guard lock(mutex_);
    done_ = true;
    changed_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
  if (!fired_) {
    if (request_ != nullptr) InternetCloseHandle(static_cast<HINTERNET>(request_));
    InternetCloseHandle(static_cast<HINTERNET>(session_));
  }
  return !fired_;
}

WinInetInternet::Watchdog::~Watchdog() {
  if (thread_.joinable()) Finish();
}

}  // namespace quill::platform::win32
