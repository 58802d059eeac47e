#include "support/DefServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>

namespace quill::test {
namespace {

namespace fs = std::filesystem;

// Starts the server binary with args; stdoutFd (when not -1) becomes its standard output.
pid_t Spawn(const std::vector<std::string>& args, int stdoutFd) {
  std::vector<std::string> argv{QUILL_DEFSERVER_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a crashed test
    if (stdoutFd >= 0) ::dup2(stdoutFd, STDOUT_FILENO);
    std::vector<char*> raw;
    for (auto& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);
    ::execv(raw[0], raw.data());
    ::_exit(127);
  }
  return pid;
}

bool RunTool(const std::vector<std::string>& args) {
  // The tool's confirmations are of no interest; its complaints go to stderr.
  const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = Spawn(args, devNull);
  if (devNull >= 0) ::close(devNull);
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

std::vector<std::string> ReadLines(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

DefServer::DefServer() {
  std::random_device rd;
  root_ = fs::temp_directory_path() / ("quill-defserver-" + std::to_string(rd()));
  fs::create_directories(root_);
  RunTool({"keygen", "--out-dir", root_.string()});
}

DefServer::~DefServer() {
  Stop();
  std::error_code ec;
  fs::remove_all(root_, ec);
}

bool DefServer::RotateKey() {
  return RunTool({"next-key", "--root", root_.string()}) &&
         RunTool({"endorse", "--root", root_.string()});
}

bool DefServer::Publish(const std::string& release, const PlainLines& lines, int expiresInDays) {
  const fs::path source = root_ / ("source-" + release);
  fs::create_directories(source);
  for (const auto& [kind, kindLines] : lines) {
    std::ofstream out(source / (kind + ".txt"), std::ios::binary | std::ios::app);
    for (const auto& line : kindLines) out << line << "\r\n";
  }
  std::vector<std::string> args = {"publish",       "--root", root_.string(), "--from",
                                   source.string(), "--date", release};
  if (expiresInDays >= 0) args.insert(args.end(), {"--expires-in", std::to_string(expiresInDays)});
  const bool ok = RunTool(args);
  std::error_code ec;
  fs::remove_all(source, ec);
  return ok;
}

bool DefServer::Start() {
  if (pid_ > 0) return true;
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return false;
  const pid_t pid = Spawn({"serve", "--root", root_.string(), "--bind", "127.0.0.1", "--port", "0",
                           "--request-log", RequestLogPath().string()},
                          out[1]);
  ::close(out[1]);
  if (pid <= 0) {
    ::close(out[0]);
    return false;
  }
  pid_ = pid;
  // The first line says where it listens; it comes once the socket accepts connections.
  std::string line;
  char c = 0;
  pollfd pfd{out[0], POLLIN, 0};
  while (line.size() < 200 && ::poll(&pfd, 1, 30000) == 1 && ::read(out[0], &c, 1) == 1 &&
         c != '\n')
    line += c;
  ::close(out[0]);
  const std::string prefix = "Listening on ";
  if (line.rfind(prefix, 0) != 0) {
    Stop();
    return false;
  }
  baseUrl_ = line.substr(prefix.size());
  return true;
}

void DefServer::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = 0;
  baseUrl_.clear();
}

std::vector<std::string> DefServer::RequestLog() const {
  return ReadLines(RequestLogPath());
}

std::vector<std::string> DefServer::ResearchLog(const std::string& file) const {
  return ReadLines(root_ / "research" / file);
}

}  // namespace quill::test
