#pragma once
// Where the viewer draws a picture on a screen: reduced to fit (never
// enlarged) with integer arithmetic, and centred.
#include <QRect>
#include <QSize>

namespace pictures {

// An empty rectangle when the picture has no pixels.
QRect FitToScreen(QSize picture, QSize screen);

}  // namespace pictures
