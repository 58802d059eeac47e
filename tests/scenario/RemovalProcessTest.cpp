// A planted program that is running when it is removed: it is stopped first, then its file
// is saved to the quarantine and deleted.
#include <gtest/gtest.h>

#include <csignal>

#include "removal/RemovalTestSupport.h"
#include "removal/frmDelete.h"
#include "support/ChildProcess.h"

namespace quill {
namespace {

using test::AppFixture;

TEST(RemovalProcess, RunningProgramIsStoppedBeforeItsFileIsDeleted) {
  AppFixture f;
  test::StartAt(f);
  const std::string exe = "C:\\Program Files\\QuillTest\\quilltestrunner.exe";
  ASSERT_TRUE(f.Prefix().WriteFile(exe, "program bytes"));
  test::ChildProcess child(exe);
  ASSERT_NE(child.Pid(), 0u);
  ASSERT_TRUE(child.Running());

  test::AddFileHit(f.Main(), exe, "Runner");
  f.Main().cmdSelectAll_Click();
  // Watch every yield of the run: the file must never be gone while its program still runs.
  bool deletedWhileRunning = false;
  f.Host().EveryDoEvents([&] {
    if (!test::Exists(f, exe) && child.Running()) deletedWhileRunning = true;
  });
  test::RepairNow(f);

  EXPECT_FALSE(deletedWhileRunning);
  EXPECT_FALSE(child.Running());
  EXPECT_EQ(child.Reap(), SIGKILL);
  EXPECT_FALSE(test::Exists(f, exe));
  EXPECT_EQ(test::Read(f, f.DataFolder() + "\\quarantine\\quilltestrunner.exe"), "program bytes");
  EXPECT_EQ(test::Read(f, f.DataFolder() + "\\quarantine\\QuarantineLog.txt"),
            test::FileRecord("quilltestrunner.exe", exe));
  EXPECT_EQ(f.App().DeleteFailed().lstProblem.Count(), 0);
}

}  // namespace
}  // namespace quill
