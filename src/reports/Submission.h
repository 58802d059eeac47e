#pragma once

#include <optional>
#include <string>
#include <vector>

#include "forms/Host.h"
#include "platform/Processes.h"

namespace quill {

/// What the submissions need from the window that offers them.
class SubmissionSite {
 public:
  virtual ~SubmissionSite() = default;
  /// The location column of every ticked row of the results list, in list order.
  virtual std::vector<std::string> TickedLocations() = 0;
  /// A message box titled as given.
  virtual forms::MsgBoxResult Ask(const std::string& text, forms::MsgBoxButtons buttons,
                                  const std::string& title) = 0;
  /// An input box; empty optional when cancelled.
  virtual std::optional<std::string> AskText(const std::string& prompt,
                                             const std::string& title) = 0;
  /// Excludes the ticked items exactly as the results page's "Exclude" button does.
  virtual void ExcludeTicked() = 0;
  /// The body of a GET of url; empty when it failed.
  virtual std::string Fetch(const std::string& url) = 0;
  /// Catalogue text by "MSG_" key.
  virtual std::string Msg(const std::string& key) = 0;
  virtual std::string ProgramName() = 0;
};

/// Reports to the research addresses of the definition server at serverBase: a false
/// positive, a file name the user typed, and the anonymous list of running programs. Every
/// query value is percent-encoded whole, so the server reads back exactly the text sent.
class Submissions {
 public:
  Submissions(SubmissionSite& site, std::string serverBase)
      : site_(site), base_(std::move(serverBase)) {}

  /// The "False positive" button: confirm the ticked locations, ask for details, send them
  /// and, when the server took the report, offer to exclude the items.
  void ReportFalsePositive();
  /// The manual submission of a typed file name. The result line for the results page, or
  /// empty optional when nothing (or only blanks) was typed: then nothing is sent.
  std::optional<std::string> SubmitFileName(const std::string& typed);
  /// The consent box was clicked and is now `ticked`: clearing it asks first, and "No"
  /// ticks it again. Returns the value to keep.
  bool ConfirmConsent(bool ticked);

 private:
  SubmissionSite& site_;
  std::string base_;
};

/// The anonymous process list: every name but the eight common system and browser programs
/// (compared exactly), each scrambled with the definition codec, joined by "|". Empty when
/// the list could not be read or nothing remains.
std::string AnonymousProcessList(const std::optional<std::vector<platform::ProcessInfo>>& list);

}  // namespace quill
