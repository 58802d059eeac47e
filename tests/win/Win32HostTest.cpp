#include "Win32Host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "forms/Form.h"
#include "forms/Timer.h"
#include "views/Binder.h"

// The host's own machinery on the real message loop under Wine: these are the only tests that
// wait for real time, because the timers are the system's.
namespace quill::win {
namespace {

using Clock = std::chrono::steady_clock;

class TimedForm : public forms::Form {
 public:
  explicit TimedForm(forms::Host& host) : Form(host, "frmTimed") {}
  forms::Timer tmrFast{*this, "tmrFast", 20, true};
  forms::Timer tmrSlow{*this, "tmrSlow", 150, true};
};

TEST(Win32HostTest, TimersRunOnTheMessageLoopAndAHoldKeepsTheirRhythm) {
  Win32Host host;
  ASSERT_TRUE(host.Ready()) << "no display for the windows";
  TimedForm form(host);
  int fast = 0, slow = 0;
  form.tmrFast.OnTick([&] {
    // The fast timer holds the slow one for a while on each tick, as the shields hold the
    // background timers during their own work; the slow one must still come due.
    form.tmrSlow.Hold();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    form.tmrSlow.Release();
    if (++fast == 40) host.Quit();
  });
  form.tmrSlow.OnTick([&] { ++slow; });
  form.Load();
  const auto start = Clock::now();
  host.Run();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  EXPECT_EQ(fast, 40);
  // Restarted by every hold it would never fire; keeping its rhythm it fires about every 150 ms.
  EXPECT_GE(slow, static_cast<int>(ms.count() / 150) - 2);
  EXPECT_GE(slow, 1);
}

TEST(Win32HostTest, ModalRunEndsWhenTheFormHidesAndTheInputBoxAnswers) {
  Win32Host host;
  TimedForm form(host);
  host.SetViewFactory([](forms::Form&) {
    return CreateWindowExW(0, L"STATIC", L"modal", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  });
  form.tmrSlow.Enable(false);
  form.tmrFast.OnTick([&] {
    form.tmrFast.Enable(false);
    form.Hide();
  });
  form.Load();
  form.Show();
  ASSERT_NE(host.ViewOf(form), nullptr);
  host.RunModal(form);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(IsWindowVisible(host.ViewOf(form)));
  EXPECT_FALSE(host.QuitRequested());

  // The input box, in the program's words (a missing word stays English): Enter on the
  // prefilled text answers it.
  host.SetInputButtonWords([] {
    return InputButtons{
        "\xC3\x9C"
        "bernehmen",
        ""};
  });
  form.tmrFast.OnTick([&] {
    form.tmrFast.Enable(false);
    HWND box = FindWindowW(L"QuillonetInput", L"Title");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(box, IDOK)), L"\u00dcbernehmen");
    EXPECT_EQ(WindowText(GetDlgItem(box, IDCANCEL)), L"Cancel");
    SetWindowTextW(GetDlgItem(box, 100), L"Gr\u00fc\u00dfe");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  form.tmrFast.Enable(true);
  EXPECT_EQ(host.InputBox("Prompt", "Title", "x"), std::optional<std::string>("Gr\xC3\xBC\xC3\x9F"
                                                                              "e"));
}

}  // namespace
}  // namespace quill::win
