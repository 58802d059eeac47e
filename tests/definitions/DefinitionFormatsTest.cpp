#include "definitions/DefinitionFormats.h"

#include <gtest/gtest.h>

#include <random>

#include "definitions/DefinitionTestSupport.h"

namespace quill {
namespace {

class DefinitionFormatsTest : public ::testing::Test {
 protected:
  test::FakeShell shell_{test::DefinitionFolders()};
  PathTokens tokens_{shell_};
  LocationExpander expander_{tokens_};
};

TEST_F(DefinitionFormatsTest, FileDefinitionFields) {
  auto def = ParseFileDefinition(" Evil.exe = Evil Threat =extra|[progfil]Evil|Adware|ignored");
  ASSERT_TRUE(def);
  EXPECT_EQ(def->fileName, "Evil.exe");
  EXPECT_EQ(def->threatName, " Evil Threat ");  // between the first two "=", untrimmed
  EXPECT_EQ(def->location, "[progfil]Evil");
  EXPECT_TRUE(def->hasLocationField);
  ASSERT_TRUE(def->type);
  EXPECT_EQ(*def->type, "Adware");

  auto noBar = ParseFileDefinition("evil.dll=Threat");
  ASSERT_TRUE(noBar);
  EXPECT_FALSE(noBar->hasLocationField);
  EXPECT_EQ(noBar->location, "");
  EXPECT_EQ(noBar->threatName, "Threat");
  EXPECT_FALSE(noBar->type);

  auto twoFields = ParseFileDefinition("a.exe=T|C:\\x");
  ASSERT_TRUE(twoFields);
  EXPECT_FALSE(twoFields->type);

  auto emptyLocation = ParseFileDefinition("a.exe=T||Adware");
  ASSERT_TRUE(emptyLocation);
  EXPECT_TRUE(emptyLocation->hasLocationField);
  EXPECT_EQ(emptyLocation->location, "");
  EXPECT_EQ(*emptyLocation->type, "Adware");

  auto noEquals = ParseFileDefinition("lonely.exe |C:\\x");
  ASSERT_TRUE(noEquals);
  EXPECT_EQ(noEquals->fileName, "lonely.exe");
  EXPECT_EQ(noEquals->threatName, "");

  EXPECT_FALSE(ParseFileDefinition(""));
  EXPECT_FALSE(ParseFileDefinition("   "));
  EXPECT_FALSE(ParseFileDefinition(" =Threat|C:\\x|Adware"));
  EXPECT_FALSE(ParseFileDefinition("|||"));
}

TEST_F(DefinitionFormatsTest, TypeWordRuleAndInheritance) {
  EXPECT_EQ(*ParseFileDefinition("a=b|c|TYPE", TypeWord::TypeMeansSpyware)->type, "Spyware");
  EXPECT_EQ(*ParseFileDefinition("a=b|c|TYPE", TypeWord::AsWritten)->type, "TYPE");
  EXPECT_EQ(*ParseFileDefinition("a=b|c|Type", TypeWord::TypeMeansSpyware)->type, "Type");

  InheritedType type;
  EXPECT_EQ(type.Apply(ParseFileDefinition("a=b")->type), "");
  EXPECT_EQ(type.Apply(ParseFileDefinition("a=b|c|Adware")->type), "Adware");
  EXPECT_EQ(type.Apply(ParseFileDefinition("a=b|c")->type), "Adware");
  EXPECT_EQ(type.Apply(ParseFileDefinition("a=b")->type), "Adware");
  EXPECT_EQ(type.Apply(ParseFileDefinition("a=b|c|")->type), "");  // an empty type is a type
  type.Apply(std::string("Trojan"));
  type.Clear();
  EXPECT_EQ(type.Current(), "");
}

TEST_F(DefinitionFormatsTest, FolderDefinitionFields) {
  auto def = ParseFolderDefinition(" My Label =Folder Threat|[progfil]Evil\\|TYPE");
  ASSERT_TRUE(def);
  EXPECT_EQ(def->label, "My Label");
  EXPECT_EQ(def->threatName, "Folder Threat");
  EXPECT_EQ(def->location, "[progfil]Evil\\");
  EXPECT_EQ(*def->type, "TYPE");  // no "TYPE" rule for folders

  auto noBar = ParseFolderDefinition("Label=Threat");
  ASSERT_TRUE(noBar);
  EXPECT_FALSE(noBar->hasLocationField);
  EXPECT_FALSE(ParseFolderDefinition("  "));
}

TEST_F(DefinitionFormatsTest, RegistryDefinitionFields) {
  auto def = ParseRegistryDefinition("2^Software\\Foo^Bar=Threat", expander_, "C:\\");
  ASSERT_TRUE(def);
  EXPECT_EQ(def->rootHandle, 0x80000002LL);
  EXPECT_EQ(def->rootName, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(def->keyPath, "Software\\Foo");
  EXPECT_EQ(def->valueName, "Bar");
  EXPECT_EQ(def->location, "HKEY_LOCAL_MACHINE\\Software\\FooBar");
  EXPECT_EQ(def->threatName, "Threat");
  EXPECT_EQ(def->type, "");

  // The threat name may carry a type after "|".
  auto typed = ParseRegistryDefinition("1^Software\\X^Run=  Evil|Adware  ", expander_, "C:\\");
  ASSERT_TRUE(typed);
  EXPECT_EQ(typed->name, "Evil|Adware");
  EXPECT_EQ(typed->threatName, "Evil");
  EXPECT_EQ(typed->type, "Adware");
  EXPECT_EQ(typed->location, "HKEY_CURRENT_USER\\Software\\XRun");

  // The split is at the last "=": the location may hold "=".
  auto equals = ParseRegistryDefinition("2^Software\\A=B^Val=Threat", expander_, "C:\\");
  ASSERT_TRUE(equals);
  EXPECT_EQ(equals->keyPath, "Software\\A=B");
  EXPECT_EQ(equals->valueName, "Val");
  EXPECT_EQ(equals->threatName, "Threat");

  auto key = ParseRegistryDefinition("3^.DEFAULT\\Software\\Foo=T", expander_, "C:\\");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->valueName, "");
  EXPECT_EQ(key->location, "HKEY_USERS\\.DEFAULT\\Software\\Foo");
}

TEST_F(DefinitionFormatsTest, RegistryRootCodes) {
  auto config = ParseRegistryDefinition("4^System\\X=T", expander_, "C:\\");
  ASSERT_TRUE(config);
  EXPECT_EQ(config->rootHandle, 0x80000005LL);
  EXPECT_EQ(config->rootName, "HKEY_CURRENT_CONFIG");
  EXPECT_EQ(tokens_.CurrentRootName(), "HKEY_CURRENT_CONFIG");

  auto notANumber = ParseRegistryDefinition("x^CLSID\\{1}=T", expander_, "C:\\");
  ASSERT_TRUE(notANumber);
  EXPECT_EQ(notANumber->rootName, "HKEY_CLASSES_ROOT");

  EXPECT_FALSE(ParseRegistryDefinition("7^Software\\X=T", expander_, "C:\\"));
  EXPECT_FALSE(ParseRegistryDefinition("6^Software\\X^v=T", expander_, "C:\\"));
  EXPECT_FALSE(ParseRegistryDefinition(" ^Software\\X^v=T", expander_, "C:\\"));
  EXPECT_FALSE(ParseRegistryDefinition("^Software\\X^v=T", expander_, "C:\\"));
  EXPECT_FALSE(ParseRegistryDefinition("2^Software\\X^v", expander_, "C:\\"));  // no "="
  // A definition never names a whole root.
  EXPECT_FALSE(ParseRegistryDefinition("2=T", expander_, "C:\\"));
  EXPECT_FALSE(ParseRegistryDefinition("2^ ^v=T", expander_, "C:\\"));
}

TEST_F(DefinitionFormatsTest, RegistryValueNamesAndTokens) {
  auto collapsed =
      ParseRegistryDefinition("2^Software\\S^[drive]\\\\Tools\\\\x.dll=T", expander_, "D:\\");
  ASSERT_TRUE(collapsed);
  EXPECT_EQ(collapsed->rawValueName, "D:\\\\\\Tools\\\\x.dll");
  EXPECT_EQ(collapsed->valueName, "D:\\\\Tools\\x.dll");
  EXPECT_EQ(collapsed->location, "HKEY_LOCAL_MACHINE\\Software\\SD:\\\\Tools\\x.dll");

  auto exactCase = ParseRegistryDefinition("2^Software\\S^[DRIVE]x=T", expander_, "D:\\");
  ASSERT_TRUE(exactCase);
  EXPECT_EQ(exactCase->valueName, "[DRIVE]x");

  auto token = ParseRegistryDefinition("1^Software\\R^[APPDATA]f.exe=T", expander_, "C:\\");
  ASSERT_TRUE(token);
  EXPECT_EQ(token->valueName, "C:\\users\\me\\AppData\\Roaming\\f.exe");

  // A value name holding "^" keeps it.
  auto caret = ParseRegistryDefinition("1^Software\\R^a^b=T", expander_, "C:\\");
  ASSERT_TRUE(caret);
  EXPECT_EQ(caret->valueName, "a^b");
  // Lines merged from an update close the location with "^" before the "=".
  auto merged = ParseRegistryDefinition("1^Software\\R^a^b^=T|Adware", expander_, "C:\\");
  ASSERT_TRUE(merged);
  EXPECT_EQ(merged->valueName, "a^b");
  EXPECT_EQ(merged->type, "Adware");
  auto mergedKey = ParseRegistryDefinition("1^Software\\R^=T|", expander_, "C:\\");
  ASSERT_TRUE(mergedKey);
  EXPECT_EQ(mergedKey->valueName, "");
  EXPECT_EQ(mergedKey->threatName, "T");
}

TEST_F(DefinitionFormatsTest, ExecutableDefinitions) {
  auto def = ParseExecutableDefinition("evil.exe=Evil|[progfil]Evil", expander_);
  ASSERT_TRUE(def);
  EXPECT_EQ(def->fileName, "evil.exe");
  EXPECT_EQ(def->folder, "C:\\Program Files\\Evil");
  EXPECT_EQ(def->fullPath, "C:\\Program Files\\Evil\\evil.exe");

  auto wholeRest = ParseExecutableDefinition("evil.exe=[windir]\\sub", expander_);
  ASSERT_TRUE(wholeRest);
  EXPECT_EQ(wholeRest->folder, "C:\\windows\\sub");
  EXPECT_EQ(wholeRest->fullPath, "C:\\windows\\sub\\evil.exe");

  auto trailing = ParseExecutableDefinition("evil.exe=T|[windir]", expander_);
  ASSERT_TRUE(trailing);
  EXPECT_EQ(trailing->fullPath, "C:\\windows\\evil.exe");

  auto empty = ParseExecutableDefinition("evil.exe=", expander_);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->fullPath, "\\evil.exe");

  EXPECT_FALSE(ParseExecutableDefinition("evil.exe|C:\\x", expander_));
  EXPECT_FALSE(ParseExecutableDefinition("", expander_));
  EXPECT_EQ(ParseCookieDomain(" *.Example.com "), " *.Example.com ");
}

TEST_F(DefinitionFormatsTest, ProtectedLocationEntries) {
  ProtectedLocationReader reader(expander_, "D:\\");
  EXPECT_EQ(reader.Next("SFILE|Name = v|[system]evil.dll|x"), "C:\\windows\\system32\\evil.dll");
  EXPECT_EQ(reader.Next("SEXE| Explorer =v|"), "Explorer");
  EXPECT_EQ(reader.Next("sdll|kernel32.dll=v"), "kernel32.dll");
  EXPECT_EQ(reader.Next("SREG|n=v|2^Software\\Microsoft"),
            "HKEY_LOCAL_MACHINE\\Software\\Microsoft");
  EXPECT_EQ(reader.Next("SREG|n=v|1^Software\\X^Run"), "HKEY_CURRENT_USER\\Software\\X\\Run");
  EXPECT_EQ(reader.Next("SREG|n=v|4^System^"), "HKEY_CURRENT_CONFIG\\System");
  EXPECT_EQ(reader.Next("SDIR|n=v|[drive]\\Windows"), "D:\\Windows");
  // Another kind, or a line without "|", repeats the previous entry.
  EXPECT_EQ(reader.Next("NOTE|n=v|C:\\other"), "D:\\Windows");
  EXPECT_EQ(reader.Next("no separator at all"), "D:\\Windows");
  EXPECT_EQ(reader.Next("SDIR|n=v|http://x//y"), "http:/x/y");
  EXPECT_EQ(reader.Next("SREG|n=v|9^Software"), "");  // unknown root protects nothing

  ProtectedLocationReader fresh(expander_, "C:\\");
  EXPECT_EQ(fresh.Next("first line without separator"), "");
}

TEST_F(DefinitionFormatsTest, ExpanderMatchesTheTokenTable) {
  const std::vector<std::string> pieces = {
      "[appdata]", "[APPDATA]", "[drive]",  "[user]",    "[USER]",      "[alluser]", "[recycle]",
      "[fonts]",   "[fonts",    "fonts]",   "[",         "]",           "\\",        "\\\\",
      "x",         "Program",   "[windir]", "[progfil]", "[[appdata]]", "[nosuch]"};
  std::mt19937 random(7);
  for (int n = 0; n < 3000; ++n) {
    std::string text;
    const int count = static_cast<int>(random() % 6);
    for (int i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
    ASSERT_EQ(expander_.ExpandTokens(text), tokens_.ExpandPathTokens(text)) << text;
  }
  EXPECT_EQ(expander_.ExpandLocation("[drive]\\Tools", "C:\\"), "C:\\Tools");
  EXPECT_EQ(expander_.ExpandLocation("[drive]\\Tools"), "[drive]\\Tools");
  EXPECT_EQ(expander_.ExpandLocation("[windir]\\System"), "C:\\windows\\System");
  EXPECT_EQ(expander_.ExpandLocation("[recycle]Foo"), "Foo");
}

}  // namespace
}  // namespace quill
