#pragma once
// Reading a whole number typed into a dialog's field.
#include <QString>
#include <cstdint>
#include <optional>

namespace window {

// Blanks or tabs, an optional sign, one or more decimal digits, blanks or
// tabs; and the number must fit in 32 bits. Anything else is no number.
std::optional<int32_t> ParseDialogInt(const QString& text);

}  // namespace window
