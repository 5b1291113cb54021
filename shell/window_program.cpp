#include "shell/window_program.h"

namespace shell {

QString ProgramTitle(engine::ProgramKind kind) {
  return kind == engine::ProgramKind::Quorvash ? QStringLiteral("Quorvash") : QStringLiteral("Tarvelin");
}

}  // namespace shell
