#include "platform/win32/WinInetInternet.h"

#include "platform/win32/WinApi.h"
// WinInet needs the base definitions above.
#include <wininet.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace quill::platform::win32 {
namespace {

/// An Internet handle, closed with the object.
class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_ != nullptr) InternetCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET Get() const { return handle_; }

 private:
  HINTERNET handle_;
};

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

std::string RawHeaders(HINTERNET request) {
  DWORD size = 0;
  HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
  if (size == 0 || size > (1u << 20)) return {};
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

WinInetInternet::WinInetInternet(int connectTimeoutSeconds, int receiveTimeoutSeconds)
    : connectTimeoutMs_(static_cast<unsigned long>(std::max(1, connectTimeoutSeconds)) * 1000),
      receiveTimeoutMs_(static_cast<unsigned long>(std::max(1, receiveTimeoutSeconds)) * 1000) {}

HttpReply WinInetInternet::Get(const std::string& url, const ChunkCallback& onChunk) {
  HttpReply reply;
  // Only the web: no ftp, no file:, nothing WinInet would also open.
  if (!IsWebUrl(url)) return reply;
  InternetHandle session(InternetOpenA("Mozilla", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (session.Get() == nullptr) return reply;
  DWORD connect = connectTimeoutMs_;
  DWORD receive = receiveTimeoutMs_;
  InternetSetOptionA(session.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionA(session.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
  InternetSetOptionA(session.Get(), INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);

  static const char kNoCache[] = "Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
  InternetHandle request(InternetOpenUrlA(session.Get(), url.c_str(), kNoCache,
                                          static_cast<DWORD>(sizeof kNoCache - 1), flags, 0));
  if (request.Get() == nullptr) return reply;
  reply.status = StatusOf(request.Get());
  reply.headers = ParseHeaderBlock(RawHeaders(request.Get()));

  char chunk[kChunkSize];
  while (true) {
    DWORD read = 0;
    if (!InternetReadFile(request.Get(), chunk, sizeof chunk, &read)) return reply;  // cut off
    if (read == 0) break;
    try {
      if (onChunk && !onChunk(chunk, read)) return reply;  // the receiver has had enough
    } catch (...) {
      return reply;
    }
  }
  reply.complete = true;
  return reply;
}

}  // namespace quill::platform::win32
