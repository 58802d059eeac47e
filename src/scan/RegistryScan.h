#pragma once

#include <string>

#include "platform/Registry.h"

namespace quill {

struct ScanInputs;
class ScanWindow;

/// The registry stage of a scan: tests every registry definition for an existing key or value.
void RegistryScanStage(const ScanInputs& in, ScanWindow& main);
/// The key opens with access 0x3F.
bool KeyExists(platform::Registry& registry, platform::RootKey root, const std::string& keyPath);
/// The key opens with access 0x3F and the value is a readable REG_SZ, REG_EXPAND_SZ or
/// REG_DWORD.
bool ValueExists(platform::Registry& registry, platform::RootKey root, const std::string& keyPath,
                 const std::string& valueName);

}  // namespace quill
