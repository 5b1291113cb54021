#include "window/dialog_integer.h"

#include <limits>

namespace window {

namespace {

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

}  // namespace

std::optional<int32_t> ParseDialogInt(const QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  bool negative = false;
  if (begin < end && (text[begin] == QLatin1Char('+') || text[begin] == QLatin1Char('-'))) {
    negative = text[begin] == QLatin1Char('-');
    ++begin;
  }
  if (begin == end) return std::nullopt;
  // Accumulate as a negative number so that the lowest 32-bit value fits.
  const int64_t low = std::numeric_limits<int32_t>::min();
  const int64_t high = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (qsizetype i = begin; i < end; ++i) {
    const char16_t c = text[i].unicode();
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 - (c - u'0');
    if (value < low) return std::nullopt;
  }
  if (!negative) {
    if (-value > high) return std::nullopt;
    value = -value;
  }
  return static_cast<int32_t>(value);
}

}  // namespace window
