#include "app/frmHidden.h"

#include "app/Application.h"

namespace quill {

frmHidden::frmHidden(Application& app) : Form(app.Host(), "frmHidden", "") {}

}  // namespace quill
