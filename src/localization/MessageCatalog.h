#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/BrandProfile.h"
#include "platform/FileSystem.h"

namespace quill {

/// One language block of a language file, as read.
struct LanguageBlock {
  std::string name;
  /// The language code of the group's xml:lang attribute ("de"); empty when it has none.
  std::string code;
  /// The lines between the translation-items tags, split at line ends (CR LF or LF).
  std::vector<std::string> lines;
};

/// Reads every language block of a language file's text, in file order. Broken files are read
/// as far as they make sense: a block without its closing tag ends where the next block starts
/// (or at the end of the text), an item list without its closing tag ends with its block.
std::vector<LanguageBlock> ParseLanguageFile(std::string_view text);

/// The message catalogue: every user-visible message by key, with the built-in English texts
/// as defaults, and the translation lines of the current language for window captions.
/// One instance lives for the whole process.
class clsLanguages {
 public:
  /// Number of message slots; slot numbers are 0..kSlotCount-1.
  static constexpr int kSlotCount = 201;
  /// Name of the language file in the program folder.
  static constexpr const char* kFileName = "Localization.txt";

  struct MessageSlot {
    std::string key;
    std::string text;
    bool taken = false;
    /// The text the slot was given when it was stored, before any language was applied.
    std::string original;
  };

  /// files: where the language file is read; programFolder: Windows path of the program
  /// folder (with or without a trailing backslash); brand: the placeholder values, read at
  /// every lookup (it may be filled in after the catalogue is made).
  clsLanguages(platform::FileSystem& files, std::string programFolder, const BrandProfile& brand);

  /// Stores key and text in the first free slot. An existing key is never replaced, and
  /// nothing is stored once every slot is taken.
  void setMessage(const std::string& key, const std::string& text);
  /// The text of a message (case-insensitive key), placeholders substituted and the first
  /// letter capitalised; "" when the key is absent.
  std::string getMessages(const std::string& key) const;
  /// The current language's text for a window or control key (case-insensitive), placeholders
  /// substituted and the first letter capitalised; "" when the language lacks the key.
  std::string getCaption(const std::string& key) const;

  /// Makes name the current language and, when the language file has a block of that name
  /// (the first one wins), its translation lines the current lines. Otherwise the previous
  /// lines stay in effect.
  void LoadLanguage(const std::string& name);
  /// True when path names an existing file (not a folder); any error gives false.
  bool LangFileExists(const std::string& path) const;
  /// The last component of a Windows path; "" for an empty path.
  static std::string LangTrimPath(const std::string& path);
  /// Reserved: the language window reads the names itself.
  void ListLanguages() {}

  /// Loads the built-in English messages into slots 0..69, in table order.
  void LoadBuiltInMessages();
  /// Gives every message the English text it was stored with again, whatever language was
  /// applied (the command-line program speaks English to the scripts that read it).
  void RestoreBuiltInMessages();

  /// Makes a language current (English when it brings no more than one line; the previous
  /// lines when neither is in the file) and gives every message whose key the language has
  /// its text. Keys are never added or removed; an empty translation leaves a message as is.
  void UseLanguage(const std::string& language);

  // Accessors for the translation walk, the generator and the language window.
  const std::string& CurrentLanguage() const { return currentLanguage_; }
  /// The language code of the group whose lines are in effect ("" when none names one).
  const std::string& CurrentLanguageCode() const { return currentCode_; }
  const std::vector<std::string>& TranslationLines() const { return lines_; }
  const std::array<MessageSlot, kSlotCount>& Slots() const { return slots_; }
  /// Number of taken slots before the first free one (the range every search covers).
  int TakenCount() const;
  /// Replaces the text of a taken slot; keys are never changed.
  void SetSlotText(int slot, const std::string& text);
  /// Windows path of the language file.
  std::string LanguageFilePath() const;
  /// Replaces the language file with a server's answer and reads the current language again
  /// from it. Only a complete language file replaces the one on disk (an error page or a
  /// transfer cut short would leave no translations at all); false when the answer is not
  /// one or could not be written, and the old file stays.
  bool ReplaceLanguageFile(std::string answer);
  platform::FileSystem& Files() const { return files_; }
  const BrandProfile& Brand() const { return brand_; }
  /// The language names of the language file in file order; empty when there is no file.
  std::vector<std::string> LanguageNames() const;

 private:
  /// Placeholder substitution plus the capital first letter.
  std::string Finish(const std::string& text) const;
  /// The language file's text ("" when there is none), without a byte-order mark.
  std::string ReadLanguageFile() const;

  platform::FileSystem& files_;
  std::string programFolder_;
  const BrandProfile& brand_;
  std::string currentLanguage_;
  std::string currentCode_;
  std::vector<std::string> lines_;
  std::array<MessageSlot, kSlotCount> slots_;
};

using MessageCatalog = clsLanguages;

namespace detail {
/// First letter upper case: ASCII, and the two-byte UTF-8 Latin-1 letters (à..þ).
std::string CapitaliseFirst(std::string text);
/// The caption lookup over a list of translation lines, before substitution.
std::string FindCaption(const std::vector<std::string>& lines, const std::string& key);
}  // namespace detail

}  // namespace quill
