#include "core/FetchText.h"

namespace quill {

std::optional<FetchedReply> FetchReply(platform::Internet& net, forms::Host& host,
                                       const std::string& url, forms::TextBox* statusBox,
                                       size_t maxBytes) {
  FetchedReply fetched;
  bool tooLarge = false;
  fetched.reply = net.Get(url, [&](const char* data, size_t size) {
    if (size > maxBytes - fetched.body.size()) {
      tooLarge = true;  // stop reading: a hostile server could send without end
      return false;
    }
    fetched.body.append(data, size);
    if (statusBox != nullptr) {
      statusBox->SetText("Downloaded " + std::to_string(fetched.body.size()) + " bytes.");
    }
    host.DoEvents();
    return true;
  });
  if (tooLarge || !fetched.reply.Success()) return std::nullopt;
  return fetched;
}

std::string FetchText(platform::Internet& net, forms::Host& host, const std::string& url,
                      forms::TextBox* statusBox) {
  auto fetched = FetchReply(net, host, url, statusBox);
  return fetched ? std::move(fetched->body) : std::string();
}

}  // namespace quill
