#pragma once

#include <stdexcept>
#include <string>

#include "forms/Host.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace quill {

/// A settings error raised by the machine-wide store; the step that hit it is skipped.
class SettingsError : public std::runtime_error {
 public:
  SettingsError(int number, const std::string& text) : std::runtime_error(text), number_(number) {}
  int Number() const { return number_; }

 private:
  int number_;
};

/// The machine-wide string store: HKEY_LOCAL_MACHINE\SOFTWARE\<company>\<application>\<section>.
/// Holds only "FirstTime" and "showHelp".
class MachineSettingsStore {
 public:
  /// The object-error base the error numbers are counted from.
  static constexpr int kObjectError = -2147221504;

  MachineSettingsStore(platform::Registry& registry, forms::Host& host,
                       platform::SettingsStore& userSettings, std::string companyName,
                       std::string productName)
      : registry_(registry),
        host_(host),
        userSettings_(userSettings),
        company_(std::move(companyName)),
        product_(std::move(productName)) {}

  /// The value, or defaultValue when the key path or the value is missing. Throws
  /// SettingsError for an empty name, a key that cannot be opened or a non-string value.
  std::string Read(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& defaultValue);
  /// Writes a REG_SZ value. On failure, unless the user asked to ignore it, asks
  /// Abort/Retry/Ignore ("Permission Denied"); the value is then not stored. A write held
  /// back only because the machine is in use (a running wineserver) fails without asking.
  bool Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value);

 private:
  std::string KeyPath(const std::string& app, const std::string& section) const;
  platform::Registry& registry_;
  forms::Host& host_;
  platform::SettingsStore& userSettings_;
  std::string company_;
  std::string product_;
};

}  // namespace quill
