#pragma once
// Quorvash as the engine and the front ends see it.
#include "engine/program.h"

namespace quorvash {

// Built once; lives as long as the program.
const engine::Program& QuorvashProgram();

}  // namespace quorvash
