#pragma once

#include <optional>
#include <string>
#include <utility>

#include "core/SettingNames.h"
#include "platform/System.h"

/// Every per-user setting of the program, declared once: its section, its key, its default and
/// the form its value is stored in. The stored texts are the ones every earlier version wrote,
/// so a settings file written by any of them reads back the same.
namespace quill::settings {

/// How a yes/no setting is spelled in the store.
enum class FlagForm {
  Digit,           ///< "1" / "0" (check boxes); on when the text's number is 1
  TrueFalse,       ///< "True" / "False" (option buttons, drives); read as a boolean text
  YesNo,           ///< "Yes" / "No"; on only for "Yes"
  TrueLowerFalse,  ///< "True" / "false"; read as a boolean text
  RunningStopped,  ///< "RUNNING" / "STOPPED"; on only for "RUNNING"
};

struct Flag {
  std::string section;
  std::string key;
  bool byDefault;
  FlagForm form;
};

/// A whole number stored as decimal text.
struct Number {
  std::string section;
  std::string key;
  long long byDefault;
};

/// Free text stored as it is (a language name, a date, a web address).
struct Text {
  std::string section;
  std::string key;
  std::string byDefault;
};

// ---- General: window, language, history ---------------------------------------------------
inline const Text Language{kGeneral, "Language", "English"};
/// The window went to the notification area at the last exit (starts there again).
inline const Flag Minimized{kGeneral, "Minimized", false, FlagForm::YesNo};
/// The help file is opened at the next start.
inline const Flag ShowHelp{kGeneral, "showHelp", true, FlagForm::Digit};
inline const Flag Maximized{kGeneral, "Max", false, FlagForm::Digit};
/// The first-run question has been asked ("Yes" once it has; empty before).
inline const Text FirstTime{kGeneral, "FirstTime", ""};
/// The edition that runs at startup on its first run has had that first run.
inline const Flag RanOneTime{kGeneral, "ranOneTime", false, FlagForm::Digit};
/// Dates of the last scan and the last complete scan; empty means never.
inline const Text LastScan{kGeneral, "lblLastScan", ""};
inline const Text LastFullScan{kGeneral, "lblLastFullScan", ""};
/// Running total of the items removed.
inline const Number RemovedTotal{kGeneral, "lblDefRemoved", 0};
/// Remove what a scheduled scan finds.
inline const Flag AutoRemove{kGeneral, "chkAutoDel", false, FlagForm::Digit};
/// The user chose not to be told again that the machine store cannot be written.
inline const Flag IgnorePermissionDenied{kGeneral, "IgnorePermissionDeniedError", false,
                                         FlagForm::Digit};
/// Width in twips of column n (from 1) of the results list.
Number FoundColumnWidth(int column);

// ---- Options page and the program's run state ----------------------------------------------
inline const Flag AutomaticUpdate{kOptions, "chkAutomaticUpdate", true, FlagForm::Digit};
inline const Flag MakeLog{kOptions, "chkMakeLog", true, FlagForm::Digit};
inline const Flag ScanRegistry{kOptions, "chkScanRegistry", true, FlagForm::Digit};
inline const Flag SweepMemory{kOptions, "chkSweepMemory", true, FlagForm::Digit};
inline const Flag ScanCookies{kOptions, "chkScanCookies", true, FlagForm::Digit};
inline const Flag SendData{kOptions, "chkSendData", true, FlagForm::Digit};
inline const Flag RunAtStartup{kOptions, "chkRunAtStartup", false, FlagForm::Digit};
inline const Flag AutomaticScan{kOptions, "chkAutomaticScanYesOrNo", false, FlagForm::Digit};
/// The scheduled scan: day-list index (absent until a schedule was saved), and the date and
/// time texts ("Null" when not chosen).
inline const Number ScheduleDay{kOptions, "Day", 7};
inline const Text ScheduleTime{kOptions, "Time", "Null"};
inline const Text ScheduleDate{kOptions, "Date", "Null"};
/// The paired option buttons keep both keys, always opposite.
inline const Flag HomePageShieldOn{kOptions, "optIEHomePageSheildOn", true, FlagForm::TrueFalse};
inline const Flag HomePageShieldOff{kOptions, "optIEHomePageSheildOff", false, FlagForm::TrueFalse};
inline const Flag NotifyBeforeRestoring{kOptions, "optAlwaysnotifybeforerestoring", true,
                                        FlagForm::TrueFalse};
inline const Flag RestoreWithoutNotification{kOptions, "optRestoredefaultwithoutnotification",
                                             false, FlagForm::TrueFalse};
inline const Flag MemoryShieldOn{kOptions, "optMemorySheildOn", true, FlagForm::TrueFalse};
inline const Flag MemoryShieldOff{kOptions, "optMemorySheildOff", false, FlagForm::TrueFalse};
inline const Flag ScanAllSelectedDrives{kOptions, "optScanAllSelectedHardDrive", true,
                                        FlagForm::TrueFalse};
inline const Flag ScanOnlyKnownSoftware{kOptions, "optScanOnlyKnownSoftwares", false,
                                        FlagForm::TrueFalse};
/// The start page the home-page shield keeps.
inline const Text Homepage{kOptions, "Homepage", ""};
/// Written for other programs of the maker; the program itself never reads them back.
inline const Flag Running{kOptions, "STATUS", false, FlagForm::RunningStopped};
inline const Flag Restart{kOptions, "RESTART", false, FlagForm::TrueFalse};
inline const Flag ShowUpdated{kOptions, "SHOW", false, FlagForm::TrueLowerFalse};

// ---- Drives ---------------------------------------------------------------------------------
/// Whether a drive (by its row text in the drive list) is walked when whole drives are.
Flag Drive(const std::string& driveText);

// ---- Companion entries -----------------------------------------------------------------------
/// The name and program file a program registers for its companions, in a store of its own
/// (its product name + "2"), under the maker's company name.
Text CompanionName(const std::string& company);
Text CompanionFile(const std::string& company);

/// One program's per-user settings: the store and the application they are kept under.
class Store {
 public:
  Store(platform::SettingsStore& backing, std::string application)
      : backing_(backing), application_(std::move(application)) {}

  /// The stored text, or nothing when the key was never written.
  std::optional<std::string> Stored(const std::string& section, const std::string& key) const;
  bool Save(const std::string& section, const std::string& key, const std::string& text) const;

 private:
  platform::SettingsStore& backing_;
  std::string application_;
};

/// The value a stored text stands for, read as every earlier version read it.
bool Parse(const Flag& setting, const std::string& stored);
long long Parse(const Number& setting, const std::string& stored);
std::string Parse(const Text& setting, const std::string& stored);
/// The text a value is stored as.
std::string StoredForm(const Flag& setting, bool value);
std::string StoredForm(const Number& setting, long long value);
std::string StoredForm(const Text& setting, const std::string& value);

/// The stored value, or nothing when the key was never written (for the few places where
/// "never written" means something of its own, such as a first run).
template <class Setting>
auto ReadIfStored(const Store& store, const Setting& setting)
    -> std::optional<decltype(Parse(setting, std::string()))> {
  auto stored = store.Stored(setting.section, setting.key);
  if (!stored) return std::nullopt;
  return Parse(setting, *stored);
}

/// The stored value, or the setting's default when the key was never written.
template <class Setting>
auto Read(const Store& store, const Setting& setting) {
  using Value = decltype(Parse(setting, std::string()));
  return ReadIfStored(store, setting).value_or(Value(setting.byDefault));
}

template <class Setting, class Value>
bool Write(const Store& store, const Setting& setting, const Value& value) {
  return store.Save(setting.section, setting.key, StoredForm(setting, value));
}

/// Writes only when the stored text differs: nothing is written while nothing changes.
template <class Setting, class Value>
void WriteIfChanged(const Store& store, const Setting& setting, const Value& value) {
  const std::string text = StoredForm(setting, value);
  if (store.Stored(setting.section, setting.key) != text)
    store.Save(setting.section, setting.key, text);
}

}  // namespace quill::settings
