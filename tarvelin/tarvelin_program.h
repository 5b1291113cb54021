#pragma once
// Tarvelin as the engine and the front ends see it.
#include "engine/program.h"

namespace tarvelin {

// Built once; lives as long as the program.
const engine::Program& TarvelinProgram();

}  // namespace tarvelin
