#include "app/MachineSettingsStore.h"

#include "base/Text.h"
#include "core/Settings.h"

namespace quill {

namespace {
void CheckNames(const std::string& app, const std::string& section, const std::string& key) {
  if (app.empty())
    throw SettingsError(MachineSettingsStore::kObjectError + 1000, "AppName may not be empty");
  if (section.empty())
    throw SettingsError(MachineSettingsStore::kObjectError + 1001, "Section may not be empty");
  if (key.empty())
    throw SettingsError(MachineSettingsStore::kObjectError + 1002, "Key may not be empty");
}
}  // namespace

std::string MachineSettingsStore::KeyPath(const std::string& app,
                                          const std::string& section) const {
  return "SOFTWARE\\" + text::Trim(company_) + "\\" + text::Trim(app) + "\\" + text::Trim(section);
}

std::string MachineSettingsStore::Read(const std::string& app, const std::string& section,
                                       const std::string& key, const std::string& defaultValue) {
  CheckNames(app, section, key);
  const auto root = platform::RootKey::LocalMachine;
  std::string path = KeyPath(app, section);
  auto status = registry_.OpenKey(root, path, platform::kKeyRead);
  if (status == platform::RegStatus::NotFound) return defaultValue;
  if (status != platform::RegStatus::Ok)
    throw SettingsError(kObjectError + 1003, "Could not open registry section");
  auto value = registry_.QueryValue(root, path, key);
  if (!value) return defaultValue;
  auto type = static_cast<platform::RegType>(value->type);
  if (type != platform::RegType::Sz && type != platform::RegType::ExpandSz)
    throw SettingsError(kObjectError + 1004, "Registry data not a string");
  return value->data;
}

bool MachineSettingsStore::Write(const std::string& app, const std::string& section,
                                 const std::string& key, const std::string& value) {
  CheckNames(app, section, key);
  const auto root = platform::RootKey::LocalMachine;
  std::string path = KeyPath(app, section);
  const settings::Store user(userSettings_, product_);
  while (true) {
    if (registry_.CreateKey(root, path) == platform::RegStatus::Ok &&
        registry_.SetValue(root, path, key, platform::MakeSz(value)) == platform::RegStatus::Ok)
      return true;
    // Not a permission problem: the machine is in use and takes the write another time.
    if (registry_.WritesHeldByRunningSystem(root, path)) return false;
    if (settings::Read(user, settings::IgnorePermissionDenied)) return false;
    std::string text =
        product_ +
        " requires read/write access to the system registry and hard drive in order to run "
        "properly.  This user account does not have the proper permissions set.  As a result "
        "some or all of your settings may not be properly saved.  Please contact your system "
        "administrator or change the permission settings for this account." +
        "\r\n\r\n" +
        "If you would like to prevent this error message from being displayed again, please "
        "press 'Ignore'.";
    auto answer = host_.MsgBox(text, forms::MsgBoxButtons::AbortRetryIgnore,
                               forms::MsgBoxIcon::None, "Permission Denied");
    if (answer == forms::MsgBoxResult::Retry) continue;
    if (answer == forms::MsgBoxResult::Ignore)
      settings::Write(user, settings::IgnorePermissionDenied, true);
    return false;
  }
}

}  // namespace quill
