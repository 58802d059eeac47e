#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/Text.h"
#include "definitions/DefinitionSet.h"

namespace quill {
namespace {

TEST(ProtectedLocationsTest, WholePathWithNormalisedDriveCaseAndSeparators) {
  ProtectedLocations list;
  list.Assign({"C:\\Windows\\System32", "  c:\\program files\\  ", "HKEY_LOCAL_MACHINE\\Software",
               "C:\\boot.ini/", ""});
  EXPECT_TRUE(list.IsProtected("D:\\WINDOWS\\SYSTEM32\\"));
  EXPECT_TRUE(list.IsProtected("c:\\windows\\system32"));
  EXPECT_EQ(list.IsProtected("D:\\WINDOWS\\SYSTEM32\\"), list.IsProtected("c:\\windows\\system32"));
  EXPECT_TRUE(list.IsProtected("C:\\Program Files"));
  EXPECT_TRUE(list.IsProtected("c:\\boot.ini"));
  EXPECT_TRUE(list.IsProtected("hkey_local_machine\\software\\"));
  // Only the whole path is protected, not what lies below it or above it.
  EXPECT_FALSE(list.IsProtected("C:\\Windows\\System32\\drivers"));
  EXPECT_FALSE(list.IsProtected("C:\\Windows"));
  EXPECT_FALSE(list.IsProtected("HKEY_LOCAL_MACHINE\\Software\\Evil"));
  // Separators are compared as the removal deletes the path: repeated ones, "." and ".."
  // name the same folder.
  EXPECT_TRUE(list.IsProtected("C:\\Windows\\System32\\\\"));
  EXPECT_TRUE(list.IsProtected("C:\\Windows\\System32\\\\\\"));
  EXPECT_TRUE(list.IsProtected("C:\\Windows\\.\\System32\\drivers\\.."));
  EXPECT_TRUE(list.IsProtected("c:/windows//system32/."));
}

TEST(ProtectedLocationsTest, EmptyPathsAndRegistryRoots) {
  ProtectedLocations empty;
  for (const char* path : {"", " ", "   ", "\\", "/", " \\/ "})
    EXPECT_TRUE(empty.IsProtected(path));
  EXPECT_FALSE(empty.IsProtected("C:\\Windows"));
  // The bare roots are never offered for removal, list or not.
  for (const char* root : {"HKEY_CLASSES_ROOT", "hkey_current_user\\", "HKEY_LOCAL_MACHINE",
                           "HKEY_USERS\\", "HKEY_CURRENT_CONFIG", "HKEY_USERS\\\\"})
    EXPECT_TRUE(empty.IsProtected(root)) << root;
  EXPECT_FALSE(empty.IsProtected("HKEY_CURRENT_USER\\Software"));
  EXPECT_FALSE(empty.IsProtected("HKEY_DYN_DATA_X"));

  ProtectedLocations blanks;
  blanks.Assign({"", "   ", "\\", "/"});
  EXPECT_FALSE(blanks.IsProtected("C:\\"));
}

TEST(ProtectedLocationsTest, EntriesOnAnotherSystemDriveStillProtect) {
  // A machine whose system drive is D: writes its entries with D:.
  ProtectedLocations list;
  list.Assign(
      {"D:\\Windows\\explorer.exe", "HKEY_LOCAL_MACHINE\\Software\\Shared\\C:\\Windows\\x.dll"});
  EXPECT_TRUE(list.IsProtected("d:\\windows\\EXPLORER.EXE"));
  EXPECT_TRUE(list.IsProtected("C:\\Windows\\explorer.exe"));
  // A ":\" inside a registry text is not a drive.
  EXPECT_TRUE(list.IsProtected("hkey_local_machine\\software\\shared\\c:\\windows\\X.DLL"));
  EXPECT_FALSE(list.IsProtected("hkey_local_machine\\software\\shared\\d:\\windows\\x.dll"));
}

TEST(ProtectedLocationsTest, BinaryAndOverlongPathsDoNotCrash) {
  ProtectedLocations list;
  std::string binary;
  for (int c = 0; c < 256; ++c) binary.push_back(static_cast<char>(c));
  list.Assign({binary, std::string(1 << 20, 'a')});
  EXPECT_TRUE(list.IsProtected(binary));
  EXPECT_TRUE(list.IsProtected(std::string(1 << 20, 'A')));
  EXPECT_FALSE(list.IsProtected(std::string(1 << 20, 'b')));
}

TEST(DefinitionTablesTest, CapacityIsFixed) {
  FileTable files;
  DirectoryTable folders;
  for (size_t i = 0; i < DefinitionTable::kCapacity; ++i) {
    ASSERT_TRUE(files.Add("c:\\x\\", "n" + std::to_string(i % 7), "Adware", "T"));
    ASSERT_TRUE(folders.Add("[drive]\\f" + std::to_string(i % 5), "l", "", "T"));
  }
  EXPECT_FALSE(files.Add("c:\\x\\", "n1", "Adware", "T"));
  EXPECT_FALSE(folders.Add("c:\\f", "l", "", "T"));
  EXPECT_EQ(files.Size(), 100001u);
  EXPECT_EQ(folders.Size(), 100001u);
  std::vector<uint32_t> rows;
  files.RowsNamed("n1", rows);
  EXPECT_EQ(rows.size(), 100001u / 7 + (100001 % 7 > 1 ? 1 : 0));
  const DefinitionRow last = files.Row(100000);
  EXPECT_EQ(last.folder, "c:\\x\\");
  EXPECT_EQ(last.type, "Adware");
  EXPECT_EQ(files.FirstEmptyRow(), files.Size());
}

// The walk's linear search by name: rows in order until the first blank name.
std::vector<uint32_t> LinearByName(const FileTable& table, const std::string& name) {
  std::vector<uint32_t> rows;
  for (uint32_t i = 0; i < table.Size(); ++i) {
    const std::string rowName = text::Trim(table.Row(i).name);
    if (rowName.empty()) break;
    if (rowName == text::Trim(name)) rows.push_back(i);
  }
  return rows;
}

TEST(DefinitionTablesTest, NameIndexEqualsLinearSearch) {
  const std::vector<std::string> names = {"a.exe", "b.dll", " a.exe", "a.exe ", "c", ""};
  std::mt19937 random(11);
  for (int round = 0; round < 20; ++round) {
    FileTable table;
    const int rows = 50 + static_cast<int>(random() % 200);
    for (int i = 0; i < rows; ++i) {
      // Blank names are rare: one ends the table for the walk.
      std::string name = names[random() % (round % 2 ? names.size() : names.size() - 1)];
      table.Add("c:\\f\\", name, "", "T" + std::to_string(i));
    }
    std::vector<uint32_t> indexed;
    for (std::string query : {"a.exe", "b.dll", "c", "zz", " a.exe "}) {
      table.RowsNamed(query, indexed);
      EXPECT_EQ(indexed, LinearByName(table, query)) << "round " << round << " " << query;
    }
  }
}

// The walk's linear search by folder: compared texts in order until the first blank one.
std::vector<uint32_t> LinearByFolder(const DirectoryTable& table, const std::string& folder) {
  std::vector<uint32_t> rows;
  const std::string drive = folder.substr(0, folder.find('\\'));
  for (uint32_t i = 0; i < table.Size(); ++i) {
    const std::string compared = DirectoryTable::ComparedFolderPath(table.Row(i).folder, drive);
    if (compared.empty()) break;
    if (compared == folder) rows.push_back(i);
  }
  return rows;
}

std::vector<uint32_t> IndexedByFolder(const DirectoryTable& table, const std::string& folder) {
  std::vector<uint32_t> candidates, rows;
  table.RowsForFolder(folder, candidates);
  const std::string drive = folder.substr(0, folder.find('\\'));
  for (uint32_t i : candidates) {
    const std::string compared = DirectoryTable::ComparedFolderPath(table.Row(i).folder, drive);
    if (compared.empty()) break;
    if (compared == folder) rows.push_back(i);
  }
  return rows;
}

TEST(DefinitionTablesTest, FolderIndexEqualsLinearSearch) {
  const std::vector<std::string> pieces = {
      "[drive]", "c:", "d:", "\\", "evil", "bar", " ", "[drive]\\evil", "c:\\evil", "x[drive]"};
  const std::vector<std::string> queries = {
      "c:\\evil", "d:\\evil", "c:",        "c:\\evil\\bar", "c:\\bar", "d:\\evilbar", "c:\\evil ",
      "evil",     "\\evil",   " c:\\evil", "c: \\evil",     "xc:",     "c:\\"};
  std::mt19937 random(5);
  for (int round = 0; round < 40; ++round) {
    DirectoryTable table;
    const int rows = 30 + static_cast<int>(random() % 300);
    for (int i = 0; i < rows; ++i) {
      std::string path;
      const int count = 1 + static_cast<int>(random() % 4);
      for (int k = 0; k < count; ++k) path += pieces[random() % pieces.size()];
      if (round % 3 == 0 && random() % 100 == 0) path = "  ";  // ends the table
      table.Add(path, "label", "", "T");
    }
    for (const std::string& query : queries)
      ASSERT_EQ(IndexedByFolder(table, query), LinearByFolder(table, query))
          << "round " << round << " query '" << query << "'";
  }
}

TEST(DefinitionTablesTest, EmptyAndOverlongRows) {
  FileTable files;
  ASSERT_TRUE(files.Add("", "", "", ""));
  const std::string longName(2 << 20, 'n');
  ASSERT_TRUE(files.Add("c:\\", longName, "t", "x"));
  EXPECT_EQ(files.Row(0).name, "");
  EXPECT_EQ(files.Row(1).name, longName);
  EXPECT_EQ(files.Row(1).threatName, "x");
  EXPECT_EQ(files.FirstEmptyRow(), 0u);
  std::vector<uint32_t> rows;
  files.RowsNamed(longName, rows);
  EXPECT_TRUE(rows.empty());  // behind the end of the table

  DirectoryTable folders;
  ASSERT_TRUE(folders.Add("C:\\Mixed\\", "", "", ""));  // keys kept beside the row
  ASSERT_TRUE(folders.Add("[DRIVE]", "", "", ""));
  folders.RowsForFolder("c:\\mixed", rows);
  EXPECT_EQ(rows, std::vector<uint32_t>{0});
  folders.RowsForFolder("e:", rows);
  EXPECT_EQ(rows, std::vector<uint32_t>{1});
}

TEST(DefinitionTablesTest, ComparedFolderPath) {
  EXPECT_EQ(DirectoryTable::ComparedFolderPath("[drive]\\evil\\", "d:"), "d:\\evil");
  EXPECT_EQ(DirectoryTable::ComparedFolderPath(" [DRIVE]\\Evil ", "c:"), "c:\\evil");
  EXPECT_EQ(DirectoryTable::ComparedFolderPath("\\", "c:"), "\\");
  EXPECT_EQ(DirectoryTable::ComparedFolderPath("   ", "c:"), "");
}

}  // namespace
}  // namespace quill
