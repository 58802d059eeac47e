#pragma once

#include <string>

#include "core/ProgramContext.h"

namespace quill {

// Raw access to the program's settings by section and key, for tests that plant or read back
// what a version of the program stored.
inline std::string GetSetting(ProgramContext& app, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
  return app.Settings().Stored(section, key).value_or(defaultValue);
}

inline void SaveSetting(ProgramContext& app, const std::string& section, const std::string& key,
                        const std::string& value) {
  app.Settings().Save(section, key, value);
}

}  // namespace quill
