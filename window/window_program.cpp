#include "window/window_program.h"

namespace shell {

QString ProgramTitle(engine::ProgramKind kind) {
  return kind == engine::ProgramKind::Quorvash ? QStringLiteral("Quorvash") : QStringLiteral("Tarvelin");
}

engine::Program EngineProgramOf(const WindowProgram& program, const std::string& name) {
  engine::Program engineProgram = program.engine ? *program.engine : engine::Program();
  engineProgram.kind = program.kind;
  engineProgram.name = name;
  engineProgram.pageHandler = program.pageHandler;
  engineProgram.prepareAddress = program.prepareAddress;
  return engineProgram;
}

}  // namespace shell
