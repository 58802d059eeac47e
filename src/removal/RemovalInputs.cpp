#include "removal/RemovalInputs.h"

#include "core/ProgramContext.h"

namespace quill {

RemovalInputs RemovalInputsOf(ProgramContext& app) {
  return RemovalInputs{
      app.Host(),   app.Files(), app.Registry(), app.Shell(),           app.Processes(),
      app.System(), app.Floor(), app.dataFolder, app.brand.programName, app.Messages()};
}

}  // namespace quill
