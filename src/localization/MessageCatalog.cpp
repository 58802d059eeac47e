#include "localization/MessageCatalog.h"

#include <utility>

#include "base/Text.h"

namespace quill {

namespace {

struct BuiltInMessage {
  const char* key;
  const char* text;
};

// The English defaults, in the order they are loaded and written to a fresh language file.
// The texts are kept exactly as earlier releases shipped them: translators' files are keyed
// on these and users have seen them for years.
constexpr BuiltInMessage kBuiltInMessages[] = {
    {"MSG_THANK1", "Thank you for using [ProgramName]!"},
    {"MSG_THANK2",
     "Because this is the first time you have used [ProgramName] we recommend running Live Update "
     "now to download the most recent adware and spyware definitions."},
    {"MSG_THANK3", "Would you like to run Live Update now?"},
    {"MSG_THANK4", "Update Now?"},
    {"MSG_MISSING",
     "Definition files are missing or they have been corrupted. Please run Live Update."},
    {"MSG_PAUSED", "[ProgramName] has been paused.  Click OK to resume."},
    {"MSG_SURE", "Are you sure?"},
    {"MSG_EXCLUDE1", "No exclusion file exists yet."},
    {"MSG_EXCLUDE2", "No Exclusion File"},
    {"MSG_INTERNET", "Definitions could not be downloaded. Please check your internet connection."},
    {"MSG_ANON1", "By sending anonymous data you can help us identify new spyware more quickly."},
    {"MSG_ANON2",
     "No personal information is collected, the only information sent is executable names that are "
     "currently loaded into memory."},
    {"MSG_ANON3", "Do you really want to turn off anonymous data collection?"},
    {"MSG_ANON4", "Really turn off anonymous data collection?"},
    {"MSG_SORRY", "Sorry, there are no entries to be excluded."},
    {"MSG_SORRY2", "Sorry, there are no entries to be deleted."},
    {"MSG_EXC_SURE1", "Are you sure you want to exclude the selected files?"},
    {"MSG_EXC_SURE2", "Excluded files will not show up as Adware/Spyware on future scans."},
    {"MSG_EXC_SURE3", "You can edit the list of excluded files through the Quarantine menu."},
    {"MSG_EXC_SURE4", "Really Exclude?"},
    {"MSG_EXC_FAILED", "The exclusion list could not be written, so nothing was excluded: [Path]"},
    {"MSG_LARGEREMOVAL",
     "The selected items make up [Share]% of [Place]. Removing that much at once can damage "
     "your computer, and a faulty definition may be the cause. Are you sure you want to remove "
     "them?"},
    {"MSG_DATE", "Please select the date that you want to scan."},
    {"MSG_STOP", "Are you sure you want to stop the scan?"},
    {"MSG_SELECTED",
     "No entries are selected.  You must check the box next to at least one item in the list."},
    {"MSG_CONFIRM1", "Are you sure you want to delete the selected files?"},
    {"MSG_CONFIRM2",
     "Deleted files will be backed up in the following folder in case you need to recover them:"},
    {"MSG_CONFIRM3",
     "In addition, a System Restore Point will be created using Windows System Restore, accessible "
     "through:"},
    {"MSG_CONFIRM4", "Start > Programs > Accessories > System Tools > System Restore"},
    {"MSG_ERROR_STOPPED",
     "could not be stopped.  You should try again after saving your work and closing any open "
     "applications."},
    {"MSG_FOUND1", "[ProgramName] has found ["},
    {"MSG_FOUND2", "] using you system memory. Click YES to stop ["},
    {"MSG_FOUND3", "] from using your system memory. Otherwise click No."},
    {"MSG_CLOSING",
     "Closing [ProgramName] may leave your system vulnerable to malicious programs. Are you sure "
     "you want to exit?"},
    {"MSG_REALLY", "Really Delete?"},
    {"MSG_REMOVING", "Removing : 0% Completed."},
    {"MSG_REMOVING2", "Removing"},
    {"MSG_COMPLETED", "Completed."},
    {"MSG_MISSINGFILES", "Files Missing, Run Live Update"},
    {"MSG_NOCOMPANY", "No Company name available for"},
    {"MSG_DOWNLOADING", "Connecting to server/downloading....."},
    {"MSG_CONNECTING", "Connecting to server....."},
    {"MSG_CHECKING", "Checking for Definitions....."},
    {"MSG_CONNECTING2", "Connecting to the Server."},
    {"MSG_SENDING", "Sending and receiving data, please wait."},
    {"MSG_SENT", "Successfully sent the request."},
    {"MSG_RECEIVING", "Receiving a response from the Server."},
    {"MSG_SCAN_CANCELLED", "Scanning was cancelled."},
    {"MSG_SCAN_COMPLETED", "Scanning complete."},
    {"MSG_RESULTS", "Results:"},
    {"MSG_RESULTS_THANK", "submitted.  Thank you!"},
    {"MSG_PROBLEM", "There was a problem submitting"},
    {"MSG_PROBLEM2", "Please make sure you are connected to the internet, or try again later."},
    {"MSG_UPDATED_DEFS", "Your [ProgramName] definitions have been updated!"},
    {"MSG_RECENT_DEFS", "You are using the most recent [ProgramName] definitions."},
    {"MSG_WEBSITE", "Visit [Website]"},
    {"MSG_CAPTION", "[ProgramName] by [CompanyName]"},
    {"MSG_CAPTION2", "Welcome to [ProgramName]"},
    {"MSG_COOKIES", "Inspecting Cookies"},
    {"MSG_COOKIES_FINISHED", "Finished Inpecting Cookies"},
    {"MSG_MEMORY", "Inspecting memory"},
    {"MSG_NOTSELECED", "Not Selected"},
    {"MSG_REGISTRY", "Scanning registry"},
    {"MSG_SPYWARE", "Scanning known Spyware/Adware"},
    {"MSG_INFORMATION", "Gathering information..."},
    {"MSG_RESTOREPOINT", "Creating Restore Point..."},
    {"MSG_COMPLETE", "complete"},
    {"MSG_FALSE_POS",
     "This will submit the following files to our research team for investigation.  You will be "
     "prompted to supply details about the susptected false positives.  Are you sure you want to "
     "continue?"},
    {"MSG_FALSE_POS2",
     "Please enter more information about these files and the reason that you think they are a "
     "false positive.  If possible, please supply the location where we can download the "
     "non-malicious software that these files are related to, in addition to your email address if "
     "you would like to be contacted for followups."},
    {"MSG_FALSE_POS3",
     "Error: You must supply details about the false positives.  Please try again."},
    {"MSG_FALSE_POS4",
     "Your false positive report was submitted successfully.  Would you like to exclude these "
     "false positives from future scans?"},
    {"MSG_FALSE_POS5",
     "There was an error submitting your report.  Please make sure you are connected to the "
     "internet and try again in a few minutes.  If you continue to receive this error please "
     "contact support."},
    {"MSG_UPDATE_FAILED",
     "The update could not be completed. Your [ProgramName] definitions have not been changed. "
     "Please check your internet connection and try again later."},
    {"MSG_RUN_AT_STARTUP", "[ProgramName] could not be set to run when Windows starts."},
    {"MSG_NEVER", "Never"},
    {"MSG_QUARANTINE_UNREADABLE", "The quarantine's list of items cannot be read."},
    {"MSG_QUARANTINE_SAVED", "Saved"},
    {"MSG_QUARANTINE_RESTORED_TO", "Restored to"},
    {"MSG_QUARANTINE_FILE", "file"},
    {"MSG_QUARANTINE_FOLDER", "folder"},
    {"MSG_QUARANTINE_COOKIE", "cookie"},
    {"MSG_QUARANTINE_REGISTRY", "registry"},
    {"MSG_QUARANTINE_TICK", "Tick the items first."},
    {"MSG_QUARANTINE_DELETE",
     "Delete the [Count] ticked items from the quarantine for good? They cannot be restored "
     "afterwards."},
    {"MSG_QUARANTINE_RESTORED", "[Done] of [Total] restored."},
    {"MSG_QUARANTINE_DELETED", "[Done] of [Total] deleted."},
    {"MSG_QUARANTINE_FAILED", "These items could not be handled:"},
    {"MSG_HOMEPAGE_CHANGED", "[ProgramName] has detected that your Homepage has been changed."},
    {"MSG_HOMEPAGE_KEEP", "Click YES to keep your homepage as:"},
    {"MSG_HOMEPAGE_CHANGE", "Click No to change your homepage to:"},
    {"MSG_LAST_UPDATED", "Signatures Last Updated On"},
    // The entries of the schedule's day list, in list order, and what a date or time field
    // without a value shows.
    {"MSG_DAY_MONDAY", "Monday"},
    {"MSG_DAY_TUESDAY", "Tuesday"},
    {"MSG_DAY_WEDNESDAY", "Wednesday"},
    {"MSG_DAY_THURSDAY", "Thursday"},
    {"MSG_DAY_FRIDAY", "Friday"},
    {"MSG_DAY_SATURDAY", "Saturday"},
    {"MSG_DAY_SUNDAY", "Sunday"},
    {"MSG_DAY_DAILY", "Daily"},
    {"MSG_DAY_DATE_TIME", "Date & Time"},
    {"MSG_NO_DATE", "None"},
    // The first entry of the language window's list, which chooses nothing.
    {"MSG_CHOOSE_LANGUAGE", "Choose Language Here"},
    // The download window's status during a Live Update.
    {"MSG_CONNECTING_DEFINITIONS", "Connecting to the definition server, please wait."},
    {"MSG_DOWNLOADED_BYTES", "Downloaded [Bytes] bytes."},
    {"MSG_CHECKING_ENTRY", "Removing outdated definitions: checking entry [Entry]"},
    {"MSG_APPLYING_UPDATES", "Applying new updates..."},
    // The Delete Failed window's column that says why an item stayed.
    {"MSG_REASON", "Reason"},
};

constexpr std::string_view kGroupOpen = "<LANGUAGE_GROUP";
constexpr std::string_view kGroupClose = "</LANGUAGE_GROUP>";
constexpr std::string_view kNameOpen = "<LANGUAGE_NAME>";
constexpr std::string_view kNameClose = "</LANGUAGE_NAME>";
constexpr std::string_view kItemsOpen = "<TRANSLATION_ITEMS>";
constexpr std::string_view kItemsClose = "</TRANSLATION_ITEMS>";

constexpr size_t npos = std::string_view::npos;

// "<LANGUAGE_GROUP" only counts as the opening tag when the tag name ends there (it may
// carry attributes); "<LANGUAGE_GROUPS>" is someone else's element.
size_t FindGroupOpen(std::string_view text, size_t from) {
  while (true) {
    const size_t at = text::FindNoCase(text, kGroupOpen, from);
    if (at == npos) return npos;
    const size_t after = at + kGroupOpen.size();
    if (after >= text.size()) return at;
    const char c = text[after];
    if (c == '>' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/') return at;
    from = after;
  }
}

// The value of the opening tag's xml:lang attribute ("" when the tag has none).
std::string GroupCode(std::string_view openTag) {
  constexpr std::string_view kAttribute = "xml:lang=";
  const size_t at = text::FindNoCase(openTag, kAttribute);
  if (at == npos || at + kAttribute.size() >= openTag.size()) return {};
  const char quote = openTag[at + kAttribute.size()];
  if (quote != '"' && quote != '\'') return {};
  const size_t start = at + kAttribute.size() + 1;
  const size_t end = openTag.find(quote, start);
  return end == npos ? std::string() : std::string(openTag.substr(start, end - start));
}

// Splits at LF and drops the CR of a CR LF, so that files saved by editors that write bare
// LF read the same. An empty text has no lines.
std::vector<std::string> SplitTranslationLines(std::string_view items) {
  std::vector<std::string> lines;
  if (items.empty()) return lines;
  size_t start = 0;
  while (true) {
    const size_t lf = items.find('\n', start);
    std::string_view line = items.substr(start, lf == npos ? npos : lf - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (lf == npos) break;
    start = lf + 1;
  }
  return lines;
}

}  // namespace

namespace detail {

std::string CapitaliseFirst(std::string text) {
  if (text.empty()) return text;
  const auto first = static_cast<unsigned char>(text[0]);
  if (first >= 'a' && first <= 'z') {
    text[0] = static_cast<char>(first - 'a' + 'A');
  } else if (first == 0xC3 && text.size() > 1) {
    // Latin-1 small letters encoded in UTF-8: U+00E0..U+00FE except the division sign.
    const auto second = static_cast<unsigned char>(text[1]);
    if (second >= 0xA0 && second <= 0xBE && second != 0xB7)
      text[1] = static_cast<char>(second - 0x20);
  }
  return text;
}

std::string FindCaption(const std::vector<std::string>& lines, const std::string& key) {
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    // The item key is what stands before the first ">", after its "<". A part of two
    // characters or fewer is not an item (a bare "<A" at the start of a line never matches;
    // files indent items with tabs).
    const std::string_view lineView(line);
    const std::string_view head = lineView.substr(0, lineView.find('>'));
    if (head.size() <= 2) continue;
    const size_t lt = head.find('<');
    const std::string_view itemKey = lt == npos ? head : head.substr(lt + 1);
    if (!text::EqualsNoCase(itemKey, key)) continue;

    // The first matching item decides, even when it turns out to be malformed: a broken
    // line gives "" and the caller keeps its current text.
    const std::string openTag = "<" + key + ">";
    const std::string closeTag = "</" + key + ">";
    const size_t open = text::FindNoCase(lineView, openTag);
    if (open == npos) return {};
    const size_t valueStart = open + openTag.size();
    const size_t close = text::FindNoCase(lineView, closeTag, valueStart);
    if (close == npos) return {};
    return std::string(lineView.substr(valueStart, close - valueStart));
  }
  return {};
}

}  // namespace detail

std::vector<LanguageBlock> ParseLanguageFile(std::string_view text) {
  std::vector<LanguageBlock> blocks;
  size_t pos = FindGroupOpen(text, 0);
  while (pos != npos) {
    const size_t bodyStart = pos + kGroupOpen.size();
    // The block ends at its closing tag; a block whose closing tag is missing ends where the
    // next block opens, or with the text.
    const size_t close = text::FindNoCase(text, kGroupClose, bodyStart);
    const size_t nextOpen = FindGroupOpen(text, bodyStart);
    size_t end = close;
    if (nextOpen != npos && (end == npos || nextOpen < end)) end = nextOpen;
    if (end == npos) end = text.size();
    const std::string_view body = text.substr(bodyStart, end - bodyStart);

    LanguageBlock block;
    block.code = GroupCode(body.substr(0, body.find('>')));
    const size_t nameAt = text::FindNoCase(body, kNameOpen);
    if (nameAt != npos) {
      const size_t nameStart = nameAt + kNameOpen.size();
      size_t nameEnd = text::FindNoCase(body, kNameClose, nameStart);
      if (nameEnd == npos) {
        // No closing tag: the name runs to the end of its line.
        nameEnd = body.find_first_of("\r\n<", nameStart);
        if (nameEnd == npos) nameEnd = body.size();
      }
      block.name = std::string(body.substr(nameStart, nameEnd - nameStart));
    }
    const size_t itemsAt = text::FindNoCase(body, kItemsOpen);
    if (itemsAt != npos) {
      const size_t itemsStart = itemsAt + kItemsOpen.size();
      size_t itemsEnd = text::FindNoCase(body, kItemsClose, itemsStart);
      if (itemsEnd == npos) itemsEnd = body.size();
      block.lines = SplitTranslationLines(body.substr(itemsStart, itemsEnd - itemsStart));
    }
    blocks.push_back(std::move(block));

    if (end == text.size()) break;
    pos = end == nextOpen ? nextOpen : FindGroupOpen(text, end + kGroupClose.size());
  }
  return blocks;
}

clsLanguages::clsLanguages(platform::FileSystem& files, std::string programFolder,
                           const BrandProfile& brand)
    : files_(files), programFolder_(std::move(programFolder)), brand_(brand) {
  while (!programFolder_.empty() && programFolder_.back() == '\\') programFolder_.pop_back();
}

void clsLanguages::setMessage(const std::string& key, const std::string& text) {
  for (MessageSlot& slot : slots_) {
    if (!slot.taken) {
      slot.key = key;
      slot.text = text;
      slot.original = text;
      slot.taken = true;
      return;
    }
    if (text::EqualsNoCase(slot.key, key)) return;
  }
}

std::string clsLanguages::getMessages(const std::string& key) const {
  for (const MessageSlot& slot : slots_) {
    if (!slot.taken) break;
    if (text::EqualsNoCase(slot.key, key)) return Finish(slot.text);
  }
  return {};
}

std::string clsLanguages::getCaption(const std::string& key) const {
  return Finish(detail::FindCaption(lines_, key));
}

std::string clsLanguages::Finish(const std::string& text) const {
  if (text.empty()) return text;
  // The first letter of the text as written is capitalised, before the placeholders are
  // filled in: "[Website] besuchen" keeps the web site's own spelling.
  return brand_.Substitute(detail::CapitaliseFirst(text));
}

void clsLanguages::LoadLanguage(const std::string& name) {
  currentLanguage_ = name;
  for (LanguageBlock& block : ParseLanguageFile(ReadLanguageFile())) {
    if (text::EqualsNoCase(block.name, name)) {
      lines_ = std::move(block.lines);
      currentCode_ = std::move(block.code);
      return;
    }
  }
}

void clsLanguages::UseLanguage(const std::string& language) {
  LoadLanguage(language);
  if (lines_.size() <= 1) LoadLanguage("English");
  const int taken = TakenCount();
  for (int slot = 0; slot < taken; ++slot) {
    // The slot keeps the translation as written; getMessages fills in the placeholders
    // and capitalises it, so a text that starts with a placeholder is not capitalised twice.
    const std::string translated =
        detail::FindCaption(lines_, slots_[static_cast<size_t>(slot)].key);
    if (!brand_.Substitute(translated).empty()) SetSlotText(slot, translated);
  }
}

std::string clsLanguages::ReadLanguageFile() const {
  const std::string path = LanguageFilePath();
  if (!LangFileExists(path)) return {};
  std::string bytes = files_.ReadFile(path).value_or(std::string());
  // The file is UTF-8; a byte-order mark in front is not part of the text.
  if (text::StartsWith(bytes, "\xEF\xBB\xBF")) bytes.erase(0, 3);
  return bytes;
}

std::vector<std::string> clsLanguages::LanguageNames() const {
  std::vector<std::string> names;
  for (LanguageBlock& block : ParseLanguageFile(ReadLanguageFile()))
    names.push_back(std::move(block.name));
  return names;
}

bool clsLanguages::LangFileExists(const std::string& path) const {
  if (path.empty() || LangTrimPath(path).empty()) return false;
  // A wildcard search would report whichever file matched first, which is never the same
  // name as the pattern; such a path does not name the language file.
  if (path.find_first_of("*?") != std::string::npos) return false;
  const std::optional<uint32_t> attributes = files_.Attributes(path);
  return attributes && (*attributes & platform::kAttrDirectory) == 0;
}

std::string clsLanguages::LangTrimPath(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void clsLanguages::LoadBuiltInMessages() {
  for (const BuiltInMessage& message : kBuiltInMessages) setMessage(message.key, message.text);
}

void clsLanguages::RestoreBuiltInMessages() {
  for (MessageSlot& slot : slots_)
    if (slot.taken) slot.text = slot.original;
}

int clsLanguages::TakenCount() const {
  int count = 0;
  while (count < kSlotCount && slots_[static_cast<size_t>(count)].taken) ++count;
  return count;
}

void clsLanguages::SetSlotText(int slot, const std::string& text) {
  if (slot < 0 || slot >= kSlotCount) return;
  MessageSlot& target = slots_[static_cast<size_t>(slot)];
  if (target.taken) target.text = text;
}

std::string clsLanguages::LanguageFilePath() const {
  return programFolder_ + "\\" + kFileName;
}

bool clsLanguages::ReplaceLanguageFile(std::string answer) {
  if (!text::ContainsNoCase(answer, "<TRANSLATION_ITEMS>") ||
      !text::ContainsNoCase(answer, "</TRANSLATION_ITEMS>"))
    return false;
  const size_t firstTag = answer.find('<');
  answer.erase(0, firstTag);
  answer += "\r\n";

  // Write beside the old file first and swap afterwards, so a failed write keeps the old file.
  const std::string path = LanguageFilePath();
  const std::string fresh = path + ".new";
  bool written = false;
  if (files_.WriteFile(fresh, answer)) {
    files_.DeleteFile(path);
    written = files_.Rename(fresh, path);
    if (!written) {
      written = files_.WriteFile(path, answer);
      files_.DeleteFile(fresh);
    }
  }
  if (!written) return false;

  // The lines in memory came from the old file; read the current language from the new one.
  if (!currentLanguage_.empty()) LoadLanguage(currentLanguage_);
  return true;
}

}  // namespace quill
