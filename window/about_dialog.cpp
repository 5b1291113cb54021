#include "window/about_dialog.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "window/control_ids.h"

namespace window {

AboutDialog::AboutDialog(const WindowProgram& program, QWidget* parent) : QDialog(parent) {
  const DialogTemplate& layout = program.aboutTemplate;
  setWindowTitle(QString::fromUtf8(layout.caption));
  auto* client = new QWidget(this);
  BuildControls(client, layout, DialogBaseUnits());
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(client);
  box->setSizeConstraint(QLayout::SetFixedSize);
  if (auto* ok = FindControl<QPushButton>(this, kOkButton))
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace window
