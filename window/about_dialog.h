#pragma once
// The About box: the program's icon, name and version, maker and contact.
#include <QDialog>

#include "window/window_program.h"

namespace window {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  AboutDialog(const WindowProgram& program, QWidget* parent = nullptr);
};

}  // namespace window
