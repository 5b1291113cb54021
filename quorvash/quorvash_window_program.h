#pragma once
// What Quorvash's window brings to the shared window.
#include <string>

#include "window/window_program.h"

namespace quorvash {

// Whether `address` is a result page of the image search: it begins with
// "http://" + the search host + "/images?".
bool IsResultPageAddress(const std::string& address, const platform::SettingsStore& store);

// Built once; lives as long as the program.
const window::WindowProgram& QuorvashWindowProgram();

}  // namespace quorvash
