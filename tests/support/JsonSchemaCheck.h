#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/CliRunner.h"

namespace quill::test {

/// "" when the document conforms to the command line's published JSON schema, else the
/// validator's first complaint. Checked by the schema's own validator, not by our reading.
inline std::string SchemaProblem(const std::string& document) {
  const auto work =
      std::filesystem::temp_directory_path() / ("quill-json-" + std::to_string(std::rand()));
  std::ofstream(work.string() + ".json") << document;
  const std::string command = "python3 " QUILL_SOURCE_DIR
                              "/tests/support/validate-json.py " QUILL_SOURCE_DIR
                              "/docs/cli-json-schema.json '" +
                              work.string() + ".json' >'" + work.string() + ".out' 2>&1";
  const int status = std::system(command.c_str());
  std::string problem = status == 0 ? "" : "invalid: " + CliRunner::ReadAll(work.string() + ".out");
  std::filesystem::remove(work.string() + ".json");
  std::filesystem::remove(work.string() + ".out");
  return problem;
}

}  // namespace quill::test
