#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "forms/Control.h"
#include "forms/Form.h"
#include "protection/ShieldAlerts.h"

namespace quill {

class Application;

/// The home page shield's question: keep the remembered start page or take the new one.
/// Shown modally; either button closes it.
class frmHomePageChangedAlert : public forms::Form {
 public:
  explicit frmHomePageChangedAlert(Application& app);
  forms::Label lblFrmHomePageProductName{*this, "lblFrmHomePageProductName", "[ProgramName]"};
  forms::Label lblHomePageInfo{*this, "lblHomePageInfo", ""};
  forms::CommandButton cmdYes{*this, "cmdYes", "Yes"};
  forms::CommandButton cmdNO{*this, "cmdNO", "No"};
  /// What the two buttons do before the window closes.
  std::function<void()> onKeep;
  std::function<void()> onAccept;

 private:
  void Form_Load();
  void cmdYes_Click();
  void cmdNO_Click();
  /// The product name in its label, and every caption in the program's language.
  void ShowInCurrentLanguage();
  /// Runs the chosen answer's action, if any, and closes the question.
  void Answer(const std::function<void()>& action);
  Application& app_;
};

/// The process shield's alert about a running program that matched a definition outside a
/// scan. Not modal: the rest of the program stays usable while it is open.
class frmSpywareFoundAlert : public forms::Form {
 public:
  explicit frmSpywareFoundAlert(Application& app);
  forms::Label lblHeading{*this, "lblHeading", "Spyware/Adware has been detected."};
  forms::Label lblFileNameCaption{*this, "lblFileNameCaption", "File Name:"};
  forms::Label lblAlertFileName{*this, "lblAlertFileName", "Unknown Executable"};
  forms::Label lblCompanyNameCaption{*this, "lblCompanyNameCaption", "Company Name:"};
  forms::Label lblAlertCompanyName{*this, "lblAlertCompanyName", "Unknown Company"};
  forms::Label lblStopHint{*this, "lblStopHint", "Click STOP to stop it from running."};
  forms::Label lblAllowHint{*this, "lblAllowHint", "Click ALLOW to allow the program to run."};
  forms::CommandButton cmdYes{*this, "cmdYes", "STOP"};
  forms::CommandButton cmdNO{*this, "cmdNO", "ALLOW"};
  /// The process the alert is about: STOP ends exactly this one.
  uint32_t ProcessId = 0;
  /// Set by either button.
  bool Answered = false;

 private:
  void cmdYes_Click();
  void cmdNO_Click();
  /// STOP: ends the matched process (saying so when it cannot) and closes the alert.
  void StopMatchedProcess();
  /// ALLOW: excludes the matched file from later scans and closes the alert.
  void AllowMatchedProgram();
  Application& app_;
};

/// The shields' questions as the two alert windows, made on first use by the application.
class ShieldAlertWindows : public ShieldAlerts {
 public:
  explicit ShieldAlertWindows(Application& app) : app_(app) {}
  void AskAboutHomePage(const std::string& question, std::function<void()> keep,
                        std::function<void()> accept) override;
  void AlertAboutProcess(const std::string& fileName, const std::string& company,
                         uint32_t pid) override;

 private:
  Application& app_;
};

}  // namespace quill
