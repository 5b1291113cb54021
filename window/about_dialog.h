#pragma once
// The About box: the program's icon, name and version, maker and contact.
#include <QDialog>

#include "engine/program.h"

namespace shell {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  AboutDialog(engine::ProgramKind kind, QWidget* parent = nullptr);
};

}  // namespace shell
