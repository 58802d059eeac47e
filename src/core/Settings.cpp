#include "core/Settings.h"

#include "base/Text.h"

namespace quill::settings {

namespace {
// Never a stored text: the store hands it back only for a key that was never written.
constexpr const char* kAbsent = "\x01";

struct Spelling {
  const char* on;
  const char* off;
};

Spelling SpellingOf(FlagForm form) {
  switch (form) {
    case FlagForm::Digit:
      return {"1", "0"};
    case FlagForm::TrueFalse:
      return {"True", "False"};
    case FlagForm::YesNo:
      return {"Yes", "No"};
    case FlagForm::TrueLowerFalse:
      return {"True", "false"};
    case FlagForm::RunningStopped:
      return {"RUNNING", "STOPPED"};
  }
  return {"1", "0"};
}
}  // namespace

Number FoundColumnWidth(int column) {
  return {kGeneral, "FoundCol2" + std::to_string(column), 1400};
}

Flag Drive(const std::string& driveText) {
  return {kDrives, driveText, true, FlagForm::TrueFalse};
}

Text CompanionName(const std::string& company) {
  return {company, "Name", ""};
}

Text CompanionFile(const std::string& company) {
  return {company, "File", ""};
}

std::optional<std::string> Store::Stored(const std::string& section, const std::string& key) const {
  std::string text = backing_.Get(application_, section, key, kAbsent);
  if (text == kAbsent) return std::nullopt;
  return text;
}

bool Store::Save(const std::string& section, const std::string& key,
                 const std::string& text) const {
  return backing_.Save(application_, section, key, text);
}

bool Parse(const Flag& setting, const std::string& stored) {
  switch (setting.form) {
    case FlagForm::Digit:
      return text::Val(stored) == 1;
    case FlagForm::TrueFalse:
    case FlagForm::TrueLowerFalse:
      return text::ToBool(stored);
    case FlagForm::YesNo:
    case FlagForm::RunningStopped:
      break;
  }
  return stored == SpellingOf(setting.form).on;
}

long long Parse(const Number&, const std::string& stored) {
  return text::Val(stored);
}

std::string Parse(const Text&, const std::string& stored) {
  return stored;
}

std::string StoredForm(const Flag& setting, bool value) {
  const Spelling spelling = SpellingOf(setting.form);
  return value ? spelling.on : spelling.off;
}

std::string StoredForm(const Number&, long long value) {
  return std::to_string(value);
}

std::string StoredForm(const Text&, const std::string& value) {
  return value;
}

}  // namespace quill::settings
