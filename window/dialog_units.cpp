#include "window/dialog_units.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>

namespace window {

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

BaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int across = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  // Width of 52 letters over 26, plus one, halved: the 52-letter average, rounded.
  BaseUnits units;
  units.width = std::max(1, (across / 26 + 1) / 2);
  units.height = std::max(1, metrics.height());
  return units;
}

BaseUnits DialogBaseUnits() { return BaseUnitsOf(QApplication::font()); }

QFont DialogFont(const QFont& desktop) {
  for (const QString& family : {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")}) {
    if (!QFontDatabase::hasFamily(family)) continue;
    QFont font = desktop;
    font.setFamily(family);
    return font;
  }
  return desktop;
}

int DluToPixelsX(int dlu, BaseUnits units) { return MulDiv(dlu, units.width, 4); }
int DluToPixelsY(int dlu, BaseUnits units) { return MulDiv(dlu, units.height, 8); }

QRect DluToPixels(const QRect& dlu, BaseUnits units) {
  // Convert the edges, not the sizes, so neighbouring controls meet exactly.
  const int left = DluToPixelsX(dlu.x(), units);
  const int top = DluToPixelsY(dlu.y(), units);
  const int right = DluToPixelsX(dlu.x() + dlu.width(), units);
  const int bottom = DluToPixelsY(dlu.y() + dlu.height(), units);
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace window
