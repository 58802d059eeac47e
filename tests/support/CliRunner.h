#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/Text.h"

namespace quill::test {

/// Runs the built command-line program as a child process, with its own settings folder and
/// program folder, and no reachable update server unless SetEnv names one.
class CliRunner {
 public:
  struct Outcome {
    int status = -1;
    std::string out, err;
  };

  CliRunner() {
    std::random_device rd;
    work_ = std::filesystem::temp_directory_path() / ("quill-cli-" + std::to_string(rd()));
    std::filesystem::create_directories(work_ / "config");
    std::filesystem::create_directories(work_ / "program");
  }
  ~CliRunner() {
    std::error_code ec;
    std::filesystem::remove_all(work_, ec);
  }
  CliRunner(const CliRunner&) = delete;
  CliRunner& operator=(const CliRunner&) = delete;

  /// An environment variable for the runs that follow (overrides the defaults above).
  void SetEnv(const std::string& name, const std::string& value) {
    env_ += name + "=" + Quote(value) + " ";
  }

  /// The shell command that runs the program (another one of ours if given) with args.
  std::string CommandLine(const std::vector<std::string>& args,
                          const std::string& program = QUILL_BINARY_DIR
                          "/cli/quillonet-cli") const {
    std::string command = "XDG_CONFIG_HOME=" + Quote((work_ / "config").string()) +
                          " QUILLONET_PROGRAM_DIR=" + Quote((work_ / "program").string()) +
                          " QUILLONET_UPDATE_SERVER=http://127.0.0.1:9 " + env_ + Quote(program);
    for (const auto& a : args) command += " " + Quote(a);
    return command;
  }

  Outcome Run(const std::vector<std::string>& args) const {
    std::string command = CommandLine(args);
    command += " >" + Quote((work_ / "out").string()) + " 2>" + Quote((work_ / "err").string()) +
               "; echo $? >" + Quote((work_ / "rc").string());
    Outcome o;
    if (std::system(command.c_str()) != 0) return o;
    o.status = static_cast<int>(text::Val(ReadAll(work_ / "rc")));
    o.out = ReadAll(work_ / "out");
    o.err = ReadAll(work_ / "err");
    return o;
  }

  const std::filesystem::path& Work() const { return work_; }

  static std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

 private:
  static std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  }
  std::filesystem::path work_;
  std::string env_;
};

}  // namespace quill::test
