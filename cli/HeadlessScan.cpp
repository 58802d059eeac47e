#include "HeadlessScan.h"

#include "core/ProgramContext.h"
#include "forms/HandlerBoundary.h"
#include "reports/ScanEnd.h"
#include "results/CategoryWords.h"

namespace quill::cli {

HeadlessScan::HeadlessScan(ProgramContext& app, bool remove, bool allowLarge)
    : app_(app), remove_(remove), allowLarge_(allowLarge) {}

void HeadlessScan::DefinitionsMissing() {
  app_.Host().MsgBox(app_.Msg("MSG_MISSING"), forms::MsgBoxButtons::OkOnly,
                     forms::MsgBoxIcon::Information, app_.brand.programName);
}

void HeadlessScan::ScanEnding(bool stopped) {
  removal_ = {};
  if (stopped || !remove_) return;
  forms::RunHandler(&app_.Host(), "automatic removal", [&] {
    removal_ =
        RemoveListedFindings(app_, findings_, removalWindow_, allowLarge_, SendDataAgreed(app_));
  });
}

void HeadlessScan::ScanEnded() {
  forms::RunHandler(&app_.Host(), "scan figures", [&] {
    FillCategories(app_.Messages(), findings_, ListedFindings(findings_, removal_));
  });
}

void HeadlessScan::MakeReport() {
  WriteScanReport(app_, run_.State(), findings_, ListedFindings(findings_, removal_));
}

}  // namespace quill::cli
