// A planted program that is running when it is removed: it is stopped first, then its file
// is saved to the quarantine and deleted.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "app/frmDelete.h"
#include "removal/RemovalTestSupport.h"
#include "support/ChildProcess.h"

namespace quill {
namespace {

using test::AppFixture;

TEST(RemovalProcess, RunningProgramIsStoppedBeforeItsFileIsDeleted) {
  AppFixture f;
  test::StartAt(f);
  const std::string exe = "C:\\Program Files\\QuillTest\\quilltestrunner.exe";
  ASSERT_TRUE(f.Prefix().WriteFile(exe, "program bytes"));
  test::ChildProcess child(exe, f.Prefix().Root());
  ASSERT_NE(child.Pid(), 0u);
  ASSERT_TRUE(child.Running());

  test::AddFileHit(f.Main(), exe, "Runner");
  f.Main().cmdSelectAll_Click();
  // Watch every yield of the run. The first time the file is seen gone, its program must
  // already have been told to stop: nothing of the run moves while this hook runs, so the
  // program ends now only if it was stopped before the file was deleted.
  bool checked = false;
  bool stoppedFirst = false;
  f.Host().EveryDoEvents([&] {
    if (checked || test::Exists(f, exe)) return;
    checked = true;
    for (int i = 0; i < 5000 && child.Running(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stoppedFirst = !child.Running();
  });
  test::RepairNow(f);

  EXPECT_TRUE(checked);
  EXPECT_TRUE(stoppedFirst);
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
