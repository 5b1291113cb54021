#pragma once
#include <string>
#include <string_view>

namespace platform {

// The bytes that may not stand in a request target are percent-encoded; an
// existing "%" escape passes unchanged. Used on the wire only: stored links
// keep their bytes.
std::string EncodeRequestTarget(std::string_view object);

}  // namespace platform
