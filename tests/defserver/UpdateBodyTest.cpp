// Update bodies between releases, checked by applying them as a client merges them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>

#include "UpdateBody.h"
#include "base/Text.h"
#include "definitions/DefinitionCodec.h"

namespace quill::defserver {
namespace {

namespace fs = std::filesystem;
using Files = std::array<std::vector<std::string>, kTargetCount>;

const std::string kBar = EncodeLine("|"), kEquals = EncodeLine("=");

std::string Scrambled(std::string s) {
  return text::ReplaceAll(text::ReplaceAll(s, "|", kBar), "=", kEquals);
}

std::string Name(const std::string& stored) {
  return text::ToLower(DecodeLine(stored.substr(0, stored.find(kEquals))));
}

std::vector<size_t> TargetsOf(const std::string& kind) {
  if (kind == "FILE" || kind == "DLL") return {0};
  if (kind == "EXE") return {0, 1};
  if (kind == "REG") return {2};
  if (kind == "COOK") return {3};
  if (kind == "DIR") return {4};
  if (text::ContainsNoCase(kind, "S")) return {5};
  return {};
}

// The line a client writes for an "ADD".
std::string Written(size_t target, const std::string& kind, const std::string& def) {
  if (target == 2) {
    const auto parts = text::Split(def, "|");
    const auto threat = parts[0].substr(parts[0].find('=') + 1);
    return parts[1] + EncodeLine("^=") + threat + kBar + parts[2];
  }
  if (target == 3) return def.substr(0, def.find('='));
  if (target == 5) return EncodeLine(kind) + kBar + Scrambled(def);
  return Scrambled(def);
}

// A client's merge: per file, the lines whose names are deleted go, the added lines that the
// file does not hold yet are appended.
Files Apply(const Files& before, const std::string& body) {
  Files after;
  for (size_t t = 0; t < kTargetCount; ++t) {
    std::set<std::string> deleted;
    std::vector<std::string> added;
    for (const auto& raw : text::Split(body, "[BR]")) {
      const std::string line = text::Trim(raw);
      if (line.empty()) continue;
      const size_t def = line.find("[DEF]");
      const size_t bar = line.find('|');
      if (def == std::string::npos || bar > def) continue;  // a client skips such a line
      const std::string kind = DecodeLine(line.substr(0, bar));
      const std::string op = line.substr(bar + 1, def - bar - 1);
      const std::string definition = line.substr(def + 5);
      const auto targets = TargetsOf(kind);
      if (std::find(targets.begin(), targets.end(), t) == targets.end()) continue;
      if (op == "DEL")
        deleted.insert(text::ToLower(DecodeLine(definition.substr(0, definition.find('=')))));
      if (op == "ADD") added.push_back(Written(t, kind, definition));
    }
    for (const auto& line : before[t])
      if (!deleted.count(Name(line))) after[t].push_back(line);
    for (const auto& line : added)
      if (std::find(after[t].begin(), after[t].end(), line) == after[t].end())
        after[t].push_back(line);
  }
  return after;
}

std::set<std::string> AsSet(const std::vector<std::string>& lines) {
  return {lines.begin(), lines.end()};
}

// The readable form of a body: "KIND|OP definition" with the definition decoded.
std::vector<std::string> Readable(const std::string& body) {
  std::vector<std::string> out;
  for (const auto& line : text::Split(body, "[BR]")) {
    const size_t bar = line.find('|'), def = line.find("[DEF]");
    out.push_back(DecodeLine(line.substr(0, bar)) + line.substr(bar, def - bar) + " " +
                  DecodeLine(Scrambled(line.substr(def + 5))));
  }
  return out;
}

class UpdateBodyTest : public ::testing::Test {
 protected:
  UpdateBodyTest() {
    std::random_device rd;
    root_ = fs::temp_directory_path() / ("quill-releases-" + std::to_string(rd()));
  }
  ~UpdateBodyTest() override { fs::remove_all(root_); }

  std::vector<std::string> Publish(const std::string& name,
                                   const std::map<std::string, std::vector<std::string>>& kinds) {
    const fs::path from = root_ / ("src-" + std::to_string(++sources_));
    fs::create_directories(from);
    for (const auto& [file, lines] : kinds) {
      std::ofstream out(from / file, std::ios::binary);
      for (const auto& line : lines) out << line << "\r\n";
    }
    return ReleaseStore(root_).Publish(from, *ParseReleaseName(name));
  }
  std::shared_ptr<const Release> Load(const std::string& name) {
    return ReleaseStore(root_).Load(name);
  }

  fs::path root_;
  int sources_ = 0;
};

TEST_F(UpdateBodyTest, ClientsEndWithTheNewestReleaseFromAnyStart) {
  ASSERT_TRUE(
      Publish(
          "20260101-000000",
          {{"FILE.txt",
            {"gone.txt=Gone|[windir]|Adware", "keep.txt=Keep|[windir]|Adware",
             "twin.dll=Twin|[system]|Adware", "twin.dll=Twin|[windir]|Adware"}},
           {"EXE.txt", {"old.exe=Old|[progfil]Old", "stay.exe=Stay|[progfil]Stay"}},
           {"REG.txt", {"1^Software\\Old^=Old Key|Adware", "2^Software\\Run^Old=Old Run|Adware"}},
           {"COOK.txt", {"old.example", "keep.example"}},
           {"DIR.txt", {"Old=Old Folder|[progfil]Old|Adware"}},
           {"SAFETY.txt", {"SDIR|Windows=Windows|[windir]", "SFILE|Old=Old|[windir]\\old.txt"}}})
          .empty());
  ASSERT_TRUE(
      Publish("20260201-120000",
              {{"FILE.txt",
                {"KEEP.txt=Keep|[windir]|Adware", "keep.txt=Keep|[windir]|Adware",
                 "twin.dll=Twin|[system]|Adware", "new.txt=New|[personl]|Spyware"}},
               {"DLL.txt", {"new.dll=New Library|[system]|Adware"}},
               {"EXE.txt", {"stay.exe=Stay|[progfil]Stay", "new.exe=New|[progfil]New"}},
               {"REG.txt", {"1^Software\\New^=New Key|Adware", "2^Software\\Run^New=New Run"}},
               {"COOK.txt", {"keep.example", "new.example"}},
               {"DIR.txt", {"New=New Folder|[progfil]New|Adware"}},
               {"SAFETY.txt", {"SDIR|Windows=Windows|[windir]", "SREG|Run=Run|2^Software\\Run"}}})
          .empty());
  const auto first = Load("20260101-000000");
  const auto second = Load("20260201-120000");
  ASSERT_TRUE(first && second);

  for (const Release* from : {first.get(), static_cast<const Release*>(nullptr)}) {
    const Files start = from ? from->lines : Files{};
    const Files end = Apply(start, UpdateBody(from, *second));
    for (size_t t = 0; t < kTargetCount; ++t)
      EXPECT_EQ(AsSet(end[t]), AsSet(second->lines[t])) << kTargetFiles[t];
  }
  EXPECT_EQ(UpdateBody(second.get(), *second), "");

  const auto body = Readable(UpdateBody(first.get(), *second));
  auto has = [&](const std::string& line) {
    return std::find(body.begin(), body.end(), line) != body.end();
  };
  // One "EXE" line reaches both files; deletions come first and go by name.
  EXPECT_TRUE(has("EXE|ADD new.exe=New|[progfil]New"));
  EXPECT_FALSE(has("FILE|ADD new.exe=New|[progfil]New"));
  EXPECT_TRUE(has("EXE|DEL old.exe="));
  EXPECT_FALSE(has("FILE|DEL old.exe="));
  EXPECT_TRUE(has("FILE|DEL twin.dll="));
  EXPECT_TRUE(has("FILE|ADD twin.dll=Twin|[system]|Adware"));
  EXPECT_TRUE(has("REG|ADD 2^Software\\Run^New^=New Run|2^Software\\Run^New|"));
  EXPECT_TRUE(has("REG|DEL 1^Software\\Old^="));
  EXPECT_TRUE(has("COOK|ADD new.example"));
  EXPECT_TRUE(has("SREG|ADD Run=Run|2^Software\\Run"));
  EXPECT_TRUE(has("SFILE|DEL SFILE|Old="));
  EXPECT_LT(
      std::find(body.begin(), body.end(), "EXE|DEL old.exe=") - body.begin(),
      std::find(body.begin(), body.end(), "FILE|ADD new.txt=New|[personl]|Spyware") - body.begin());
}

TEST_F(UpdateBodyTest, PublishRefusesWhatTheProtocolCannotCarry) {
  const auto problems = Publish(
      "20260101-000000", {{"REG.txt", {"no caret=T|Adware"}},
                          {"COOK.txt", {"a=b.example"}},
                          {"SAFETY.txt", {"WINDIR|Windows=Windows|[windir]", "SDIR"}},
                          {"FILE.txt", {"a<b.txt=T|[windir]", "ok.txt=T|[windir]", "x[BR]y=T"}},
                          {"DIR.txt", {"Bad=Bad\xC9|[windir]"}},
                          {"NOTES.txt", {"hello"}}});
  EXPECT_EQ(problems.size(), 7u);
  EXPECT_TRUE(ReleaseStore(root_).List().empty());
  ASSERT_TRUE(Publish("20260101-000000", {{"FILE.txt", {"ok.txt=T|[windir]"}}}).empty());
  EXPECT_EQ(Publish("20250101-000000", {{"FILE.txt", {"ok.txt=T|[windir]"}}}).size(), 1u);
  EXPECT_EQ(ReleaseStore(root_).List(), std::vector<std::string>{"20260101-000000"});
}

}  // namespace
}  // namespace quill::defserver
