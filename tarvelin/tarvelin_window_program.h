#pragma once
// What Tarvelin's window brings to the shared window.
#include "window/window_program.h"

namespace tarvelin {

// A site's root address: the address field's text before the first project.
inline constexpr const char* kDefaultHistory = "http://www.example.com/";

// Built once; lives as long as the program.
const window::WindowProgram& TarvelinWindowProgram();

}  // namespace tarvelin
