#pragma once
// The main dialog's and the About box's layouts, per program.
#include "engine/program.h"
#include "window/dialog_template.h"

namespace shell {

DialogTemplate MainDialogTemplate(engine::ProgramKind kind);
DialogTemplate AboutTemplate(engine::ProgramKind kind);

}  // namespace shell
