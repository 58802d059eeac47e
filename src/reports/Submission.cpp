#include "reports/Submission.h"

#include "base/Text.h"
#include "base/Url.h"
#include "definitions/DefinitionCodec.h"

namespace quill {
namespace {

// A server's answer is shown to the user; a hostile one must not flood the message box.
constexpr size_t kShownAnswer = 1000;

bool IsCommonProgram(const std::string& name) {
  static const char* const kSkipped[] = {"System",       "System Idle Process", "winlogon.exe",
                                         "services.exe", "svchost.exe",         "explorer.exe",
                                         "firefox.exe",  "iexplore.exe"};
  for (const char* skipped : kSkipped)
    if (name == skipped) return true;
  return false;
}

}  // namespace

void Submissions::ReportFalsePositive() {
  std::string files;
  for (const auto& location : site_.TickedLocations()) files += location + "\r\n";
  const std::string program = site_.ProgramName();
  if (site_.Ask(files + "\r\n\r\n" + site_.Msg("MSG_FALSE_POS"), forms::MsgBoxButtons::OkCancel,
                program) != forms::MsgBoxResult::Ok)
    return;
  const std::string details = site_.AskText(site_.Msg("MSG_FALSE_POS2"), program).value_or("");
  if (text::Trim(details).empty()) {
    site_.Ask(site_.Msg("MSG_FALSE_POS3"), forms::MsgBoxButtons::OkOnly, program);
    return;
  }
  const std::string answer = site_.Fetch(base_ + "/asp/submitFP.asp?files=" +
                                         text::PercentEncode(text::ReplaceAll(files, "\r\n", "|")) +
                                         "&details=" + text::PercentEncode(details));
  if (text::ContainsNoCase(answer, "OK")) {
    if (site_.Ask(site_.Msg("MSG_FALSE_POS4"), forms::MsgBoxButtons::YesNo, program) ==
        forms::MsgBoxResult::Yes)
      site_.ExcludeTicked();
    return;
  }
  site_.Ask(answer.substr(0, kShownAnswer) + "\r\n\r\n" + site_.Msg("MSG_FALSE_POS5"),
            forms::MsgBoxButtons::OkOnly, program);
}

std::optional<std::string> Submissions::SubmitFileName(const std::string& typed) {
  if (text::Trim(typed).empty()) return std::nullopt;
  const std::string answer =
      site_.Fetch(base_ + "/asp/getData.asp?data=" + text::PercentEncode(EncodeLine(typed) + "|"));
  if (text::ContainsNoCase(answer, "Skipped") || text::ContainsNoCase(answer, "Added"))
    return site_.Msg("MSG_RESULTS") + " " + typed + " " + site_.Msg("MSG_RESULTS_THANK");
  return site_.Msg("MSG_RESULTS") + " " + site_.Msg("MSG_PROBLEM") + " " + typed + ".  " +
         site_.Msg("MSG_PROBLEM2");
}

bool Submissions::ConfirmConsent(bool ticked) {
  if (ticked) return true;
  const std::string question = site_.Msg("MSG_ANON1") + "\r\n\r\n" + site_.Msg("MSG_ANON2") +
                               "\r\n\r\n" + site_.Msg("MSG_ANON3");
  return site_.Ask(question, forms::MsgBoxButtons::YesNo, site_.Msg("MSG_ANON4")) ==
         forms::MsgBoxResult::No;
}

std::string AnonymousProcessList(const std::optional<std::vector<platform::ProcessInfo>>& list) {
  std::string out;
  if (!list) return out;
  for (const auto& process : *list) {
    if (process.name.empty() || IsCommonProgram(process.name)) continue;
    if (!out.empty()) out += '|';
    out += EncodeLine(process.name);
  }
  return out;
}

}  // namespace quill
