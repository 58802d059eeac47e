// `quillonet-cli update` against the real definition server, as a user runs it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/Text.h"
#include "base/Url.h"
#include "support/CliRunner.h"
#include "support/DefServer.h"
#include "support/LocalHttpServer.h"
#include "support/TempPrefix.h"

namespace quill::test {
namespace {

const char* const kTargets[] = {"FileDefinition.dat",      "ExeDefinition.dat",
                                "RegistryDefinition.dat",  "BlockedCookies.dat",
                                "DirectoryDefinition.dat", "Safety.dat"};

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<absent>";
  return CliRunner::ReadAll(path);
}

std::multiset<std::string> LineSet(const std::string& bytes) {
  std::multiset<std::string> lines;
  for (const auto& l : text::SplitLines(bytes))
    if (!l.empty()) lines.insert(l);
  return lines;
}

class UpdateCliTest : public ::testing::Test {
 protected:
  void SetUp() override { cli_.SetEnv("QUILLONET_UPDATE_KEY", server_.PublicKeyPath().string()); }
  void Serve() {
    ASSERT_TRUE(server_.Start());
    cli_.SetEnv("QUILLONET_UPDATE_SERVER", server_.BaseUrl());
  }
  std::string DataFile(const std::string& name) {
    return prefix_.Native("C:\\users\\" + prefix_.User() + "\\AppData\\Roaming\\QuillonetDAT\\" +
                          name);
  }
  /// The client holds a release's files and its date.
  void HoldRelease(const std::string& release, const std::string& date) {
    for (const char* name : kTargets) {
      const std::string bytes = ReadBytes(server_.ReleaseFile(release, name));
      if (bytes != "<absent>")
        prefix_.WriteFile(
            "C:\\users\\" + prefix_.User() + "\\AppData\\Roaming\\QuillonetDAT\\" + name, bytes);
      else
        std::filesystem::remove(DataFile(name));
    }
    prefix_.WriteFile("C:\\users\\" + prefix_.User() + "\\AppData\\Roaming\\QuillonetDAT\\date.dat",
                      date + "\r\n");
  }
  std::map<std::string, std::string> Held() {
    std::map<std::string, std::string> files;
    for (const char* name : kTargets) files[name] = ReadBytes(DataFile(name));
    files["date.dat"] = ReadBytes(DataFile("date.dat"));
    return files;
  }
  CliRunner::Outcome Update() { return cli_.Run({"--prefix", prefix_.Root(), "update"}); }

  DefServer server_;
  TempPrefix prefix_;
  CliRunner cli_;
};

TEST_F(UpdateCliTest, ReleaseOneUpdatesToReleaseThreeAndThenStaysCurrent) {
  ASSERT_TRUE(server_.Publish(
      "20260101-000000",
      {{"FILE", {"old.txt=Old|[windir]|Adware", "kept.txt=Kept|[windir]"}},
       {"REG", {"1^Software\\Gone^=Gone Key|Adware", "1^Software\\Stays^=Stays|Spyware"}},
       {"COOK", {"gone.example", "kept.example"}},
       {"SAFETY", {"SFILE|gone.exe=Gone|[windir]", "SDIR|Windows=Windows folder|[windir]"}}}));
  ASSERT_TRUE(server_.Publish("20260201-000000", {{"FILE", {"kept.txt=Kept|[windir]"}}}));
  ASSERT_TRUE(server_.Publish(
      "20260301-000000", {{"FILE", {"kept.txt=Kept|[windir]", "old.txt=Renamed|[windir]|Spyware"}},
                          {"EXE", {"bad.exe=Bad Program|[progfil]Bad Stuff"}},
                          {"REG", {"1^Software\\Stays^=Stays|Spyware"}},
                          {"COOK", {"kept.example", "new.example"}},
                          {"DIR", {"Bad=Bad Folder|[progfil]Bad|Adware"}},
                          {"SAFETY", {"SDIR|Windows=Windows folder|[windir]"}}}));
  Serve();
  HoldRelease("20260101-000000", "1/1/2026");

  auto outcome = Update();
  ASSERT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  EXPECT_TRUE(text::StartsWith(outcome.out, "Your Quillonet definitions have been updated!"))
      << outcome.out;
  for (const char* name : kTargets)
    EXPECT_EQ(LineSet(ReadBytes(DataFile(name))),
              LineSet(ReadBytes(server_.ReleaseFile("20260301-000000", name))))
        << name;
  EXPECT_EQ(ReadBytes(DataFile("date.dat")), "3/1/2026\r\n");
  // The executable line reaches both files; the registry and safety lines of release one are
  // gone.
  const std::string exeLine = *LineSet(ReadBytes(DataFile("ExeDefinition.dat"))).begin();
  EXPECT_EQ(LineSet(ReadBytes(DataFile("FileDefinition.dat"))).count(exeLine), 1u);
  EXPECT_EQ(LineSet(ReadBytes(DataFile("RegistryDefinition.dat"))).size(), 1u);
  EXPECT_EQ(LineSet(ReadBytes(DataFile("Safety.dat"))).size(), 1u);

  // The requests the server saw decode to exactly the product, company and installed date.
  const auto log = server_.RequestLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], "/asp/currentDateNEW.asp?prog=Quillonet&comp=Quillonet%20Software");
  EXPECT_EQ(log[2], "/asp/date.asp");
  ASSERT_TRUE(text::StartsWith(log[1], "/asp/getDefsNEW.asp?"));
  std::vector<std::string> decoded;
  for (const auto& pair : text::Split(log[1].substr(log[1].find('?') + 1), "&")) {
    const size_t eq = pair.find('=');
    decoded.push_back(pair.substr(0, eq) + "=" +
                      text::PercentDecode(pair.substr(eq + 1)).value_or("<bad>"));
  }
  EXPECT_EQ(decoded, (std::vector<std::string>{"prog=Quillonet", "comp=Quillonet Software",
                                               "date=1/1/2026"}));

  // A second update finds nothing newer and changes nothing.
  const auto after = Held();
  outcome = Update();
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "You are using the most recent Quillonet definitions. Changes: 0\n");
  EXPECT_EQ(Held(), after);
  EXPECT_EQ(server_.RequestLog().size(), 4u);
}

TEST_F(UpdateCliTest, AnUpdateThatCannotBeCompletedExitsTwoAndChangesNothing) {
  ASSERT_TRUE(server_.Publish("20260101-000000", {{"FILE", {"a.txt=A|[windir]"}}}));
  ASSERT_TRUE(server_.Publish("20260301-000000", {{"FILE", {"b.txt=B|[windir]"}}}));
  Serve();
  HoldRelease("20260101-000000", "1/1/2026");
  const auto before = Held();

  // A key that is not the server's: every reply is refused.
  std::filesystem::path otherKey = server_.Root() / "other.pem";
  std::ofstream(otherKey) << "-----BEGIN PUBLIC KEY-----\n"
                             "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEw7XH4RI8+gSB0Pp7jpZUtLDoskSL\n"
                             "9x0ebO119s1mjsIaZ6lh1x6MQEeDsoE9E6GuDlFWVL7ZzwOwrz1v4XVmHw==\n"
                             "-----END PUBLIC KEY-----\n";
  cli_.SetEnv("QUILLONET_UPDATE_KEY", otherKey.string());
  auto outcome = Update();
  EXPECT_EQ(outcome.status, 2) << outcome.out << outcome.err;
  EXPECT_TRUE(text::StartsWith(outcome.out, "The update could not be completed.")) << outcome.out;
  EXPECT_EQ(Held(), before);

  // No server at all.
  cli_.SetEnv("QUILLONET_UPDATE_KEY", server_.PublicKeyPath().string());
  server_.Stop();
  outcome = Update();
  EXPECT_EQ(outcome.status, 2) << outcome.out << outcome.err;
  EXPECT_EQ(Held(), before);
}

/// A reply of the real server as it was sent (its signed statement included).
struct Recorded {
  httplib::Headers headers;
  std::string body;
};
Recorded Record(const std::string& base, const std::string& target) {
  httplib::Client client(base);
  auto res = client.Get(target);
  return res ? Recorded{res->headers, res->body} : Recorded{};
}
void Replay(const Recorded& recorded, httplib::Response& res) {
  for (const auto& [name, value] : recorded.headers)
    if (text::StartsWith(name, "X-Quillonet")) res.set_header(name, value);
  res.set_content(recorded.body, "text/plain");
}

TEST_F(UpdateCliTest, OldForeignExpiredOrSlowRepliesExitTwoAndChangeNothingAndKeysRotate) {
  ASSERT_TRUE(server_.Publish("20260101-000000", {{"FILE", {"a.txt=A|[windir]"}}}));
  Serve();
  // What the server signed while release one was its newest, the body for a client at 12/1/2025.
  const std::string query = "?prog=Quillonet&comp=Quillonet%20Software";
  std::map<std::string, Recorded> old = {
      {"/asp/currentDateNEW.asp", Record(server_.BaseUrl(), "/asp/currentDateNEW.asp" + query)},
      {"/asp/getDefsNEW.asp",
       Record(server_.BaseUrl(), "/asp/getDefsNEW.asp" + query + "&date=12%2F1%2F2025")},
      {"/asp/date.asp", Record(server_.BaseUrl(), "/asp/date.asp")}};
  ASSERT_TRUE(server_.Publish("20260301-000000", {{"FILE", {"b.txt=B|[windir]"}}}));
  HoldRelease("20260101-000000", "1/1/2026");

  // A hostile server in between: live answers, but old signed replies where `replayed` says.
  std::set<std::string> replayed = {"/asp/getDefsNEW.asp"};
  LocalHttpServer hostile;
  for (const auto& [path, recorded] : old)
    hostile.Routes().Get(path, [&, path](const httplib::Request& req, httplib::Response& res) {
      if (replayed.count(path)) return Replay(old[path], res);
      Replay(Record(server_.BaseUrl(), req.target), res);
    });
  hostile.Start();
  auto refused = [&](const std::string& base, const char* what) {
    const auto before = Held();
    cli_.SetEnv("QUILLONET_UPDATE_SERVER", base);
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = Update();
    EXPECT_EQ(outcome.status, 2) << what << outcome.out << outcome.err;
    EXPECT_TRUE(text::StartsWith(outcome.out, "The update could not be completed.")) << what;
    EXPECT_EQ(Held(), before) << what;
    return std::chrono::steady_clock::now() - start;
  };
  refused(hostile.Base(), "a body signed for another date");
  cli_.SetEnv("QUILLONET_UPDATE_SERVER", server_.BaseUrl());
  ASSERT_EQ(Update().status, 0);
  EXPECT_EQ(ReadBytes(DataFile("release.dat")), "20260301-000000 2\r\n");
  replayed = {"/asp/currentDateNEW.asp", "/asp/getDefsNEW.asp", "/asp/date.asp"};
  refused(hostile.Base(), "release one replayed to a client at release two");

  ASSERT_TRUE(server_.Publish("20260401-000000", {{"FILE", {"c.txt=C|[windir]"}}}, 0));
  refused(server_.BaseUrl(), "an expired statement");

  // Silent: given up after the low-speed window (300 ms here), with the connection time.
  LocalHttpServer silent;
  silent.Routes().Get("/asp/currentDateNEW.asp", [&](const auto&, auto&) { silent.Stall(); });
  silent.Start();
  cli_.SetEnv("QUILLONET_NETWORK_LIMITS", "2000,300,16,10000");
  EXPECT_LT(refused(silent.Base(), "a silent server"), std::chrono::seconds(3));
  silent.Stop();

  // A new key endorsed by the old one: a client that trusts only the old key updates.
  const auto oldKey = server_.Root() / "old-public-key.pem";
  std::filesystem::copy_file(server_.PublicKeyPath(), oldKey);
  cli_.SetEnv("QUILLONET_UPDATE_KEY", oldKey.string());
  server_.Stop();
  ASSERT_TRUE(server_.RotateKey());
  ASSERT_TRUE(server_.Publish("20260501-000000", {{"FILE", {"d.txt=D|[windir]"}}}));
  Serve();
  EXPECT_NE(ReadBytes(server_.PublicKeyPath()), ReadBytes(oldKey));
  const auto outcome = Update();
  EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
  EXPECT_EQ(ReadBytes(DataFile("date.dat")), "5/1/2026\r\n");
}

TEST_F(UpdateCliTest, KilledAtAnyMomentEveryFileIsWholeAndOldOrNew) {
  // Large releases, so that the merge takes a while.
  std::vector<std::string> oldFiles, newFiles, oldExe, newExe;
  for (int i = 0; i < 40000; ++i) {
    const std::string n = std::to_string(i);
    oldFiles.push_back("f" + n + ".txt=Old " + n + "|[windir]|Adware");
    if (i % 2 == 0) newFiles.push_back(oldFiles.back());
    newFiles.push_back("n" + n + ".dll=New " + n + "|[windir]");
    (i % 3 ? oldExe : newExe).push_back("e" + n + ".exe=Exe " + n + "|[progfil]x");
  }
  ASSERT_TRUE(server_.Publish("20260101-000000", {{"FILE", oldFiles}, {"EXE", oldExe}}));
  ASSERT_TRUE(server_.Publish("20260301-000000", {{"FILE", newFiles}, {"EXE", newExe}}));
  Serve();

  HoldRelease("20260101-000000", "1/1/2026");
  const auto before = Held();
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Update().status, 0);
  const auto whole = std::chrono::steady_clock::now() - start;
  const auto after = Held();
  ASSERT_NE(after, before);

  std::mt19937 random(20260301);
  const auto wholeUs = std::chrono::duration_cast<std::chrono::microseconds>(whole).count();
  std::uniform_int_distribution<long> moment(0, wholeUs);
  const std::string command =
      "exec env " + cli_.CommandLine({"--prefix", prefix_.Root(), "update"}) + " >/dev/null 2>&1";
  int killedInFlight = 0;
  for (int round = 0; round < 12; ++round) {
    HoldRelease("20260101-000000", "1/1/2026");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) ++killedInFlight;
    for (const auto& [name, bytes] : Held())
      EXPECT_TRUE(bytes == before.at(name) || bytes == after.at(name))
          << name << " in round " << round << " is neither the old nor the new file";
  }
  EXPECT_GT(killedInFlight, 0);
}

}  // namespace
}  // namespace quill::test
