#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "forms/Host.h"
#include "platform/Internet.h"

namespace quill {

/// The largest reply the program accepts from a server (a full definition set is a few MiB).
inline constexpr size_t kMaxReplyBytes = size_t{64} << 20;

/// A whole reply: the body bytes exactly as sent, and the response they came with.
struct FetchedReply {
  std::string body;
  platform::HttpReply reply;
};

/// Told how many body bytes have arrived so far, on the calling thread.
using FetchProgress = std::function<void(size_t received)>;

/// The shared HTTP fetch: the reply of url, always fresh from the server. The transfer runs on
/// a thread of its own while the calling (event) thread keeps serving events: after every
/// chunk (at most 256 bytes), telling progress first when there is one, and every 50 ms while
/// nothing arrives, so no window freezes on a slow server. The
/// transfer ends within the network limits of the Internet backend. Only a complete 2xx reply of at
/// most maxBytes is an answer: an address that cannot be opened, an error status, a transfer that
/// breaks off or a body that grows beyond the bound gives none (a partial body is never taken for a
/// whole one).
std::optional<FetchedReply> FetchReply(platform::Internet& net, forms::Host& host,
                                       const std::string& url, const FetchProgress& progress = {},
                                       size_t maxBytes = kMaxReplyBytes);

/// The body of FetchReply, or empty text when there is no answer.
std::string FetchText(platform::Internet& net, forms::Host& host, const std::string& url,
                      const FetchProgress& progress = {});

}  // namespace quill
