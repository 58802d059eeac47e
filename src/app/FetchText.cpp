#include "app/FetchText.h"

namespace quill {

std::string FetchText(platform::Internet& net, forms::Host& host, const std::string& url,
                      forms::TextBox* statusBox) {
  std::string text;
  bool complete = net.Get(url, [&](const char* data, size_t size) {
    text.append(data, size);
    if (statusBox != nullptr) {
      statusBox->SetText("Downloaded " + std::to_string(text.size()) + " bytes.");
    }
    host.DoEvents();
  });
  // A body cut short (timeout, broken connection) would be read as a valid but partial
  // answer - for an update body that means a partial merge - so it counts as no answer.
  return complete ? text : std::string();
}

}  // namespace quill
