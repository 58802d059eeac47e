#pragma once

#include <string>

#include "forms/Control.h"
#include "forms/Host.h"
#include "platform/Internet.h"

namespace quill {

/// The shared HTTP text fetch: the whole body of url, always fresh from the server. Yields to
/// the event queue after every chunk (at most 256 bytes) and, with a status box, shows
/// "Downloaded <n> bytes." after each. Empty when the address cannot be opened; a transfer
/// that breaks off also gives empty text, never a truncated body.
std::string FetchText(platform::Internet& net, forms::Host& host, const std::string& url,
                      forms::TextBox* statusBox = nullptr);

}  // namespace quill
