#include "definitions/UpdateMerge.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/Text.h"
#include "definitions/DefinitionCodec.h"
#include "support/TestPlatform.h"

namespace quill {
namespace {

constexpr const char* kData = "C:\\data";

/// An update line as the server writes it: the kind encoded, field texts encoded, separators
/// plain.
std::string Line(const std::string& kind, const std::string& op, const std::string& def) {
  std::string encoded;
  for (const std::string& field : text::Split(def, "|")) {
    if (!encoded.empty()) encoded += "|";
    const size_t eq = field.find('=');
    encoded += eq == std::string::npos
                   ? EncodeLine(field)
                   : EncodeLine(field.substr(0, eq)) + "=" + EncodeLine(field.substr(eq + 1));
  }
  return EncodeLine(kind) + "|" + op + "[DEF]" + encoded;
}

std::string Body(const std::vector<std::string>& lines) {
  std::string body;
  for (const auto& l : lines) body += l + "[BR]";
  return body;
}

class UpdateMergeTest : public ::testing::Test {
 protected:
  void Put(const std::string& name, const std::vector<std::string>& plain) {
    std::string bytes;
    for (const auto& l : plain) bytes += EncodeLine(l) + "\r\n";
    fs.Put(std::string(kData) + "\\" + name, bytes);
  }
  /// The decoded lines of a file; "<absent>" when there is none.
  std::vector<std::string> Lines(const std::string& name) {
    auto bytes = fs.Get(std::string(kData) + "\\" + name);
    if (!bytes) return {"<absent>"};
    std::vector<std::string> out;
    for (const auto& l : text::SplitLines(*bytes)) out.push_back(DecodeLine(l));
    return out;
  }
  std::optional<int> Merge(const std::vector<std::string>& lines) {
    return MergeUpdate(fs, kData, Body(lines));
  }
  test::FakeFileSystem fs;
};

TEST_F(UpdateMergeTest, EachKindReachesItsFilesInTheStoredForm) {
  auto changes = Merge({
      Line("FILE", "ADD", "bad.dll=Threat A|[drive]x|Adware"),
      Line("EXE", "ADD", "run.exe=Threat B|[drive]y"),
      Line("REG", "ADD", "key=Threat C|1^Software\\Bad^val|Spyware"),
      Line("COOK", "ADD", "tracker.example=Threat D"),
      Line("DIR", "ADD", "folder=Threat E|[drive]bad"),
      Line("SFILE", "ADD", "explorer.exe=Windows|[drive]windows"),
      Line("XYZ", "ADD", "ignored=x"),
      Line("FILE", "MOVE", "ignored=x"),
  });
  ASSERT_TRUE(changes);
  EXPECT_EQ(*changes, 7) << "an EXE line counts twice";
  EXPECT_EQ(
      Lines("FileDefinition.dat"),
      (std::vector<std::string>{"bad.dll=Threat A|[drive]x|Adware", "run.exe=Threat B|[drive]y"}));
  EXPECT_EQ(Lines("ExeDefinition.dat"), (std::vector<std::string>{"run.exe=Threat B|[drive]y"}));
  EXPECT_EQ(Lines("RegistryDefinition.dat"),
            (std::vector<std::string>{"1^Software\\Bad^val^=Threat C|Spyware"}));
  EXPECT_EQ(Lines("BlockedCookies.dat"), (std::vector<std::string>{"tracker.example"}));
  EXPECT_EQ(Lines("DirectoryDefinition.dat"),
            (std::vector<std::string>{"folder=Threat E|[drive]bad"}));
  EXPECT_EQ(Lines("Safety.dat"),
            (std::vector<std::string>{"SFILE|explorer.exe=Windows|[drive]windows"}));
}

TEST_F(UpdateMergeTest, DeletionsAndAdditionsByNameNeverDuplicate) {
  Put("FileDefinition.dat",
      {"old.exe=Old|[drive]a", "", "keep.exe=Keep|[drive]b", "twice.exe=T|x"});
  Put("RegistryDefinition.dat",
      {"1^Software\\Gone^=Gone|Spyware", "1^Software\\Stay^=Stay|Adware"});
  Put("Safety.dat", {"SFILE|gone.exe=G|[drive]g", "SDIR|stay=S|[drive]s"});
  auto changes = Merge({
      // DEL then ADD of one name: only the new line stays.
      Line("FILE", "DEL", "OLD.EXE=Old|[drive]a"),
      Line("FILE", "ADD", "old.exe=New|[drive]n"),
      // ADD then DEL: gone.
      Line("FILE", "ADD", "brief.exe=B|[drive]b"),
      Line("FILE", "DEL", "brief.exe=B"),
      // A line already there is not appended again, nor one added twice.
      Line("FILE", "ADD", "keep.exe=Keep|[drive]b"),
      Line("FILE", "ADD", "fresh.exe=F|[drive]f"),
      Line("FILE", "ADD", "fresh.exe=F|[drive]f"),
      // Malformed lines are skipped and the rest goes on.
      EncodeLine("FILE") + "ADD[DEF]nobar",
      EncodeLine("FILE") + "|ADD",
      Line("REG", "ADD", "lacks=fields"),
      Line("FILE", "ADD", "after.exe=A|[drive]z"),
      // Registry and safety lines are deleted by the name of their stored line.
      Line("REG", "DEL", "x=Gone|1^Software\\Gone|Spyware"),
      Line("SFILE", "DEL", "gone.exe=G|[drive]g"),
  });
  ASSERT_TRUE(changes);
  EXPECT_EQ(
      Lines("FileDefinition.dat"),
      (std::vector<std::string>{"keep.exe=Keep|[drive]b", "twice.exe=T|x", "old.exe=New|[drive]n",
                                "fresh.exe=F|[drive]f", "after.exe=A|[drive]z"}));
  EXPECT_EQ(Lines("RegistryDefinition.dat"),
            (std::vector<std::string>{"1^Software\\Stay^=Stay|Adware"}));
  EXPECT_EQ(Lines("Safety.dat"), (std::vector<std::string>{"SDIR|stay=S|[drive]s"}));
  // File: 3 lines appended (old, fresh, after) + deletions; registry and safety: one each.
  EXPECT_EQ(*changes, 3 + 1 + 1 + 1);

  // The same body again finds nothing new to add; only its deletions count.
  const auto before = Lines("FileDefinition.dat");
  auto again = Merge(
      {Line("FILE", "ADD", "keep.exe=Keep|[drive]b"), Line("EXE", "ADD", "fresh.exe=F|[drive]f")});
  EXPECT_EQ(again, 1) << "only the executable file gains the line";
  EXPECT_EQ(Lines("FileDefinition.dat"), before);
  EXPECT_EQ(Merge({Line("FILE", "ADD", "keep.exe=Keep|[drive]b")}), 0);
}

TEST_F(UpdateMergeTest, BytesStayAsSentAndOnlyChangedFilesAreRewritten) {
  // Stored bytes above 127 (the code page's letters) are neither converted nor lost.
  const std::string raw = std::string("caf\xE9.exe") + "=" + "Th\xE4" + "|" + "x";
  fs.Put(std::string(kData) + "\\ExeDefinition.dat", "untouched\r\n");
  fs.Put(std::string(kData) + "\\FileDefinition.dat", "no line end");
  std::string body = EncodeLine("FILE") + "|add[DEF]ignored[br]" + EncodeLine("FILE") +
                     "|ADD[DEF]" + EncodeLine(std::string("caf\xE9.exe")) + "=" +
                     EncodeLine("Th\xE4") + "|" + EncodeLine("x") + "[bR]";
  EXPECT_EQ(MergeUpdate(fs, kData, body), 1);
  EXPECT_EQ(*fs.Get(std::string(kData) + "\\FileDefinition.dat"),
            "no line end\r\n" + EncodeLine(raw) + "\r\n");
  EXPECT_EQ(*fs.Get(std::string(kData) + "\\ExeDefinition.dat"), "untouched\r\n");
  EXPECT_FALSE(fs.Get(std::string(kData) + "\\Safety.dat"));
}

TEST_F(UpdateMergeTest, AFileThatCannotBeReplacedLeavesEveryFileAsItWas) {
  Put("FileDefinition.dat", {"a.exe=A|x"});
  Put("ExeDefinition.dat", {"a.exe=A|x"});
  fs.failReplaceNumber = 3;  // file and executable file go through, the registry file fails
  auto changes = Merge({Line("EXE", "ADD", "b.exe=B|y"), Line("REG", "ADD", "k=T|1^S^v|Spyware")});
  EXPECT_FALSE(changes);
  EXPECT_EQ(Lines("FileDefinition.dat"), (std::vector<std::string>{"a.exe=A|x"}));
  EXPECT_EQ(Lines("ExeDefinition.dat"), (std::vector<std::string>{"a.exe=A|x"}));
  EXPECT_EQ(Lines("RegistryDefinition.dat"), (std::vector<std::string>{"<absent>"}));
}

TEST_F(UpdateMergeTest, OldLinesAreCutAsTheLoadersCutThem) {
  const std::string path = std::string(kData) + "\\FileDefinition.dat";
  const std::string cafe = EncodeLine("caf\xC9.exe=C|x");  // the stored \xC9 is a lone LF
  const std::string added = EncodeLine("b.exe=B");
  // A lone LF inside a CR LF file stays inside its line when the file is rebuilt.
  fs.Put(path, cafe + "\r\n" + EncodeLine("gone.exe=G|x") + "\r\n");
  EXPECT_TRUE(Merge({Line("FILE", "DEL", "gone.exe="), Line("FILE", "ADD", "b.exe=B")}));
  EXPECT_EQ(*fs.Get(path), cafe + "\r\n" + added + "\r\n");
  // A file cut at LF (edited by hand) is rewritten with CR LF rather than joined to a new line.
  fs.Put(path, EncodeLine("a.exe=A") + "\n" + EncodeLine("c.exe=C"));
  EXPECT_TRUE(Merge({Line("FILE", "ADD", "b.exe=B")}));
  EXPECT_EQ(DefinitionFileLines(*fs.Get(path)),
            (std::vector<std::string>{EncodeLine("a.exe=A"), EncodeLine("c.exe=C"), added}));
  // An update line holding CR LF is skipped.
  EXPECT_EQ(Merge({Line("FILE", "ADD", "d.exe=D") + "\r\n" + EncodeLine("e.exe=E")}), 0);
}

TEST(CleanDateReply, TrimsLineBreaksAndCutsAfterTheFirstMarker) {
  EXPECT_EQ(CleanDateReply("  3/20/2006 1:05:00 PM<html>junk</html>\r\n"), "3/20/2006 1:05:00 PM");
  EXPECT_EQ(CleanDateReply("3/20/2006\t 9:00:00 am and more AM"), "3/20/2006 9:00:00 am");
  EXPECT_EQ(CleanDateReply("\r\n3/20/\r\n2006 11:00:00 pm AM"), "3/20/2006 11:00:00 pm");
  EXPECT_EQ(CleanDateReply("3/20/2006"), "3/20/2006");
  EXPECT_EQ(CleanDateReply(""), "");
}

}  // namespace
}  // namespace quill
