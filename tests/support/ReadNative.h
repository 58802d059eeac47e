#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace quill::test {

/// The whole host file as bytes ("" when it cannot be read).
inline std::string Slurp(const std::filesystem::path& native) {
  std::ifstream in(native, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace quill::test
