#include "scan/ScanInputs.h"

#include "core/ProgramContext.h"

namespace quill {

ScanInputs ScanInputsOf(ProgramContext& app) {
  return ScanInputs{app.Host(),      app.Files(),  app.Registry(),    app.Shell(),
                    app.Processes(), app.System(), app.Definitions(), app.Exclusions(),
                    app.Floor(),     app.Tokens(), app.dataFolder,    app.brand.programName,
                    app.Messages()};
}

}  // namespace quill
