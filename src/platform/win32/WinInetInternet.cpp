#include "platform/win32/WinInetInternet.h"

#include "platform/win32/WinApi.h"
// WinInet needs the base definitions above.
#include <wininet.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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

/// What the caller of Get and the thread running its transfer share. The thread may outlive
/// the call: a WinInet call that a silent server keeps waiting is not always ended by its own
/// time-outs (nor by closing its handle), so the caller gives up on it and returns, and the
/// thread ends on its own later, never touching the caller's callback again.
struct WinInetInternet::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  size_t moved = 0;
  bool finished = false;
  bool abandoned = false;
  HttpReply reply;
};

HttpReply WinInetInternet::Get(const std::string& url, const ChunkCallback& onChunk) {
  // Only the web: no ftp, no file:, nothing WinInet would also open.
  if (!IsWebUrl(url)) return {};
  auto shared = std::make_shared<Shared>();
  std::thread([shared, url, limits = limits_, callback = &onChunk] {
    HttpReply reply = Transfer(*shared, url, limits, *callback);
    std::lock_guard lock(shared->mutex);
    shared->reply = std::move(reply);
    shared->finished = true;
    shared->changed.notify_all();
  }).detach();

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto windowEnd = start + limits_.connect + limits_.lowSpeedWindow;  // the first covers connecting
  size_t windowBase = 0;
  std::unique_lock lock(shared->mutex);
  while (!shared->finished) {
    shared->changed.wait_for(lock, std::chrono::milliseconds(50));
    if (shared->finished) break;
    const auto now = Clock::now();
    bool giveUp = now - start >= limits_.total;
    if (!giveUp && now >= windowEnd) {
      giveUp = shared->moved - windowBase < limits_.lowSpeedBytes;
      windowBase = shared->moved;
      windowEnd = now + limits_.lowSpeedWindow;
    }
    if (giveUp) {
      shared->abandoned = true;
      return {};
    }
  }
  return std::move(shared->reply);
}

HttpReply WinInetInternet::Transfer(Shared& shared, const std::string& url,
                                    const NetworkLimits& limits, const ChunkCallback& onChunk) {
  HttpReply reply;
  HINTERNET session = InternetOpenA("Mozilla", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (session == nullptr) return reply;
  auto milliseconds = [](std::chrono::milliseconds ms) {
    return static_cast<DWORD>(std::min<long long>(ms.count(), 0x7fffffff));
  };
  DWORD connect = milliseconds(limits.connect);
  DWORD receive = milliseconds(limits.lowSpeedWindow);
  InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
  InternetSetOptionA(session, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);

  static const char kNoCache[] = "Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
  HINTERNET request = InternetOpenUrlA(session, url.c_str(), kNoCache,
                                       static_cast<DWORD>(sizeof kNoCache - 1), flags, 0);
  // Passes bytes on while the caller still waits; false once it has given up or had enough.
  auto deliver = [&](const char* data, DWORD size, bool body) {
    std::lock_guard lock(shared.mutex);
    if (shared.abandoned) return false;
    shared.moved += size;
    try {
      return !body || !onChunk || onChunk(data, size);
    } catch (...) {
      return false;
    }
  };
  bool complete = false;
  if (request != nullptr) {
    reply.status = StatusOf(request);
    const std::string headers = RawHeaders(request, limits.maxHeaderBytes);
    // Unreadable, or headers without end: a failure.
    if (!headers.empty() && deliver(headers.data(), static_cast<DWORD>(headers.size()), false)) {
      reply.headers = ParseHeaderBlock(headers);
      char chunk[kChunkSize];
      for (DWORD read = 0; InternetReadFile(request, chunk, sizeof chunk, &read); read = 0) {
        if (read == 0) {
          complete = true;
          break;
        }
        if (!deliver(chunk, read, true)) break;  // given up, or the receiver has had enough
      }
    }
    InternetCloseHandle(request);
  }
  InternetCloseHandle(session);
  reply.complete = complete;
  return reply;
}

}  // namespace quill::platform::win32
