#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quill {

/// The questions the shields put to the user. The desktop program shows them as windows; the
/// shields only compose what they say and act on the answer.
class ShieldAlerts {
 public:
  virtual ~ShieldAlerts() = default;
  /// Asks, modally, whether to keep the remembered start page: keep or accept runs with the
  /// answer; neither runs when the question is closed unanswered.
  virtual void AskAboutHomePage(const std::string& question, std::function<void()> keep,
                                std::function<void()> accept) = 0;
  /// Tells about one matched running program and returns once the user has answered, the
  /// alert was closed or the program is ending. STOP ends exactly the process pid.
  virtual void AlertAboutProcess(const std::string& fileName, const std::string& company,
                                 uint32_t pid) = 0;
};

}  // namespace quill
