#include "forms/Control.h"

#include <algorithm>

namespace quill::forms {

int ChangeSignal::Subscribe(Slot slot) {
  slots_.emplace_back(next_, std::move(slot));
  return next_++;
}

void ChangeSignal::Unsubscribe(int token) {
  std::erase_if(slots_, [token](const auto& s) { return s.first == token; });
}

void ChangeSignal::Emit() const {
  // A slot may unsubscribe while we run: iterate over a copy.
  auto copy = slots_;
  for (const auto& s : copy) s.second();
}

}  // namespace quill::forms
