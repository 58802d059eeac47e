// The shields' alert windows in the desktop program, driven through their widgets.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "GuiFixture.h"
#include "app/ProtectionAlerts.h"
#include "definitions/ExclusionList.h"
#include "platform/Registry.h"
#include "protection/Protection.h"
#include "views/HomePageAlertView.h"
#include "views/ProcessAlertView.h"

namespace quill::test {

class ProtectionAlertViewsTest : public GuiFixture {
 protected:
  void SetPage(const std::string& url) {
    auto& reg = App().Registry();
    const auto root = platform::RootKey::CurrentUser;
    reg.CreateKey(root, kMain);
    ASSERT_EQ(reg.SetValue(root, kMain, "Start Page", platform::MakeSz(url)),
              platform::RegStatus::Ok);
  }
  std::string Page() {
    auto v = App().Registry().QueryValue(platform::RootKey::CurrentUser, kMain, "Start Page");
    return v ? v->data : "";
  }
  static constexpr const char* kMain = "Software\\Microsoft\\Internet Explorer\\Main";
};

TEST_F(ProtectionAlertViewsTest, HomePageAlertIsModalShowsBothPagesAndYesRestores) {
  Start();
  SetPage("http://home.example/");
  Main().Shields().HomePageTick();
  SetPage("http://hijack.example/");
  std::string shown;
  bool modal = false;
  WhenIdle([&] {
    auto* alert = App().FindWindow<frmHomePageChangedAlert>();
    auto* view = alert ? qobject_cast<gui::HomePageAlertView*>(Host().ViewOf(*alert)) : nullptr;
    if (!view || !view->isVisible()) return false;
    shown = view->Info()->text().toStdString();
    modal = view->isModal();
    EXPECT_EQ(view->YesButton()->text().remove('&').toStdString(), "Yes");
    EXPECT_EQ(view->NoButton()->text().remove('&').toStdString(), "No");
    QTest::mouseClick(view->YesButton(), ::Qt::LeftButton);
    return true;
  });
  Main().Shields().HomePageTick();
  EXPECT_TRUE(modal);
  EXPECT_NE(shown.find("Click YES to keep your homepage as:\nhttp://home.example/"),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find("Click No to change your homepage to:\nhttp://hijack.example/"),
            std::string::npos);
  EXPECT_EQ(Page(), "http://home.example/");
}

TEST_F(ProtectionAlertViewsTest, ProcessAlertIsModelessAllowExcludesAndExitEndsTheWait) {
  Start();
  std::string file, company;
  bool modal = true;
  WhenIdle([&] {
    auto* alert = App().FindWindow<frmSpywareFoundAlert>();
    auto* view = alert ? qobject_cast<gui::ProcessAlertView*>(Host().ViewOf(*alert)) : nullptr;
    if (!view || !view->isVisible()) return false;
    file = view->FileName()->text().toStdString();
    company = view->Company()->text().toStdString();
    modal = view->isModal();
    EXPECT_EQ(view->StopButton()->text().remove('&').toStdString(), "STOP");
    QTest::mouseClick(view->AllowButton(), ::Qt::LeftButton);
    return true;
  });
  Main().Shields().RaiseProcessAlert("spyagent.exe", "", 4242);
  EXPECT_FALSE(modal) << "the rest of the program stays usable";
  EXPECT_EQ(file, "SPYAGENT.EXE");
  EXPECT_EQ(company, "No Company name available for spyagent.exe");
  EXPECT_TRUE(App().Exclusions().IsExcluded("spyagent.exe"));
  EXPECT_FALSE(App().FindWindow<frmSpywareFoundAlert>()->Loaded());

  // Publisher shown upper-cased; the program ending ends the wait without an answer.
  WhenIdle([&] {
    auto* alert = App().FindWindow<frmSpywareFoundAlert>();
    if (!alert->Visible()) return false;
    company = alert->lblAlertCompanyName.Caption();
    Host().Quit();
    return true;
  });
  Main().Shields().RaiseProcessAlert("other.exe", "Adware Makers Ltd", 4343);
  EXPECT_EQ(company, "ADWARE MAKERS LTD");
  EXPECT_FALSE(App().Exclusions().IsExcluded("other.exe"));
}

}  // namespace quill::test
