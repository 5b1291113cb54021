#include "shell/window_program.h"

namespace shell {

QString ProgramTitle(ProgramKind kind) {
  return kind == ProgramKind::Quorvash ? QStringLiteral("Quorvash") : QStringLiteral("Tarvelin");
}

}  // namespace shell
