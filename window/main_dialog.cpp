#include "window/main_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

#include "engine/settings_table.h"
#include "window/about_dialog.h"
#include "window/control_ids.h"
#include "window/dialog_template.h"
#include "window/help.h"
#include "window/main_dialog_template.h"
#include "window/main_menu.h"
#include "window/settings_sheet.h"

namespace shell {

namespace {

// The page a Setting menu command opens.
std::optional<PageKind> PageOfCommand(int command) {
  switch (command) {
    case kCmdDownloadRange: return PageKind::DownloadRange;
    case kCmdFileSize: return PageKind::FileSize;
    case kCmdDirectoryLevel: return PageKind::DirectoryLevel;
    case kCmdBrowserButton: return PageKind::BrowserButton;
    case kCmdStatus: return PageKind::Status;
    default: return std::nullopt;
  }
}

// The hidden logs show lines without their carriage returns; the dialog
// keeps the text itself as it came.
QString ForControl(const QString& text) {
  QString shown = text;
  shown.remove(QLatin1Char('\r'));
  return shown;
}

void AppendTo(QPlainTextEdit* log, const QString& text) {
  if (!log) return;
  QTextCursor cursor(log->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(ForControl(text));
}

}  // namespace

MainDialog::MainDialog(WindowProgram program, platform::SettingsStore store, StartUp startUp,
                       QWidget* parent)
    : QDialog(parent),
      m_program(std::move(program)),
      m_store(std::move(store)),
      m_startUp(std::move(startUp)) {
  BuildWindow();
  Initialise();
  ConnectControls();
}

void MainDialog::BuildWindow() {
  const DialogTemplate layout = MainDialogTemplate(m_program.kind);
  setWindowTitle(QString::fromUtf8(layout.caption));
  // Caption, minimise box and close box; no sizing border, no maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  auto* menuBar = new QMenuBar(this);
  BuildMainMenu(menuBar, m_program.kind);
  connect(menuBar, &QMenuBar::triggered, this,
          [this](QAction* action) { OnCommand(CommandIdOf(action)); });
  m_client = new QWidget(this);
  BuildControls(m_client, layout, DialogBaseUnits());
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  box->setMenuBar(menuBar);
  box->addWidget(m_client);
  box->setSizeConstraint(QLayout::SetFixedSize);
  box->activate();
}

void MainDialog::Initialise() {
  for (int k = 0; k < kWorkerCount; ++k)
    if (auto* label = FindControl<QLabel>(m_client, kFirstFileLabel + k)) label->clear();
  const std::string fallback = m_program.defaultHistory ? m_program.defaultHistory(m_store) : "";
  std::string address = m_store.ReadSettingString(platform::kSettingsSection,
                                                  std::string(engine::kHistoryKey), fallback);
  if (m_program.kind == engine::ProgramKind::Tarvelin && !m_startUp.commandLine.empty()) {
    address = m_startUp.commandLine;
  } else if (std::optional<std::string> browser = FindBrowserAddress(m_program, m_startUp, m_store)) {
    address = *browser;
  }
  SetAddress(QString::fromStdString(address));
  if (auto* noScroll = FindControl<QCheckBox>(m_client, kNoScrollCheck))
    noScroll->setChecked(engine::ReadTableInt(m_store, engine::kNoScrollKey, m_program.kind) != 0);
}

void MainDialog::ConnectControls() {
  auto button = [this](int id) { return FindControl<QPushButton>(m_client, id); };
  connect(button(kDownloadButton), &QPushButton::clicked, this, &MainDialog::OnDownload);
  connect(button(kStopButton), &QPushButton::clicked, this, [this] {
    if (m_control) m_control->Stop();
  });
  for (int k = 0; k < kWorkerCount; ++k) {
    connect(button(kFirstCancelButton + k), &QPushButton::clicked, this, [this, k] {
      if (m_control) m_control->Cancel(k);
    });
  }
  connect(button(kEnlargeButton), &QPushButton::clicked, this, &MainDialog::EnlargeThumbnails);
  connect(button(kExitButton), &QPushButton::clicked, this, &MainDialog::reject);
  connect(FindControl<QCheckBox>(m_client, kNoScrollCheck), &QCheckBox::clicked, this,
          &MainDialog::OnNoScroll);
}

void MainDialog::SetThumbnailList(QWidget* list) { ReplaceControl(m_client, kThumbnailList, list); }

void MainDialog::SetSponsorPanel(QWidget* panel) { ReplaceControl(m_client, kSponsorPanel, panel); }

QString MainDialog::Address() const {
  auto* edit = FindControl<QLineEdit>(m_client, kAddressEdit);
  return edit ? edit->text() : QString();
}

void MainDialog::SetAddress(const QString& address) {
  if (auto* edit = FindControl<QLineEdit>(m_client, kAddressEdit)) {
    edit->setText(address);
    edit->setCursorPosition(0);
  }
}

void MainDialog::OnCommand(int command) {
  if (const std::optional<PageKind> page = PageOfCommand(command)) {
    const int index = PageIndexOf(m_program.kind, *page);
    if (index >= 0) OpenSettings(index);
    return;
  }
  switch (command) {
    case kCmdExit: reject(); break;
    case kCmdOpenGallery: if (m_openGallery) m_openGallery(); break;
    case kCmdHelpContents: OpenHelp(m_program.kind); break;
    case kCmdAbout: ShowAbout(); break;
    default: break;
  }
}

void MainDialog::OpenSettings(int pageIndex) {
  PageContext context;
  context.kind = m_program.kind;
  context.store = m_store;
  context.executablePath = QCoreApplication::applicationFilePath();
  SettingsSheet sheet(context, pageIndex, this);
  sheet.exec();
}

void MainDialog::ShowAbout() {
  AboutDialog about(m_program.kind, this);
  about.exec();
}

void MainDialog::OnDownload() {
  if (m_closing || !m_control) return;
  m_control->Download(Address().toStdString());
}

void MainDialog::OnNoScroll(bool checked) {
  m_store.WriteSettingInt(platform::kSettingsSection, std::string(engine::kNoScrollKey),
                          checked ? 1 : 0);
}

void MainDialog::EnlargeThumbnails() {
  auto* button = FindControl<QPushButton>(m_client, kEnlargeButton);
  QWidget* list = FindControl(m_client, kThumbnailList);
  if (!button || !list) return;
  const QRect rect = list->geometry();
  const auto children = m_client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  if (button->text() == QLatin1String("&Up")) {
    button->setText(QStringLiteral("Do&wn"));
    for (QWidget* child : children) child->hide();
    for (int id : {kThumbnailList, kCounterLabel, kPictureCounter, kNoScrollCheck, kEnlargeButton,
                   kStopButton, kExitButton})
      if (QWidget* control = FindControl(m_client, id)) control->show();
    const int top = FindControl(m_client, kAddressEdit)->geometry().top();
    list->setGeometry(rect.left(), top, rect.width(), rect.bottom() + 1 - top);
    m_listTop = rect.top();
  } else {
    button->setText(QStringLiteral("&Up"));
    // Everything comes back but what the layout keeps hidden: the two logs
    // and the covered label.
    for (QWidget* child : children) child->setVisible(!HiddenByTemplate(child));
    list->setGeometry(rect.left(), m_listTop, rect.width(), rect.bottom() + 1 - m_listTop);
  }
  list->update();
}

void MainDialog::ShowWorkerRow(int worker, const QString& label, qint64 high, qint64 pos) {
  if (worker < 0 || worker >= kWorkerCount) return;
  if (auto* text = FindControl<QLabel>(m_client, kFirstFileLabel + worker); text && text->text() != label)
    text->setText(label);
  auto* bar = FindControl<QProgressBar>(m_client, kFirstProgressBar + worker);
  if (!bar) return;
  high = std::max<qint64>(high, 0);
  pos = std::clamp<qint64>(pos, 0, high);
  const qint64 scale = high / std::numeric_limits<int>::max() + 1;
  bar->setRange(0, static_cast<int>(high / scale));
  bar->setValue(static_cast<int>(pos / scale));
}

void MainDialog::SetRunLog(const QString& text) {
  m_runLog = text;
  if (auto* log = FindControl<QPlainTextEdit>(m_client, kRunLog)) log->setPlainText(ForControl(text));
}

void MainDialog::AppendRunLog(const QString& text) {
  m_runLog += text;
  AppendTo(FindControl<QPlainTextEdit>(m_client, kRunLog), text);
}

void MainDialog::SetTitleLog(const QString& text) {
  m_titleLog = text;
  if (auto* log = FindControl<QPlainTextEdit>(m_client, kTitleLog)) log->setPlainText(ForControl(text));
}

void MainDialog::AppendTitleLog(const QString& text) {
  m_titleLog += text;
  AppendTo(FindControl<QPlainTextEdit>(m_client, kTitleLog), text);
}

void MainDialog::reject() {
  if (m_closing) return;
  // Tarvelin started with an address leaves without asking.
  if (!StartedWithAddress()) {
    const auto answer = QMessageBox::question(this, ProgramTitle(m_program.kind),
                                              QStringLiteral("Are you sure want to exit?"),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) return;
  }
  Leave();
}

void MainDialog::Leave() {
  if (m_control && m_control->Leave()) {
    // The run is ending; RunEnded() closes the window.
    m_closing = true;
    return;
  }
  QDialog::reject();
}

void MainDialog::RunEnded() {
  if (!m_closing) return;
  m_closing = false;
  QDialog::reject();
}

void MainDialog::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
  // Enter anywhere but on a button is the dialog's OK: Download.
  if (enter && modifiers == Qt::NoModifier && !qobject_cast<QPushButton*>(focusWidget())) {
    OnDownload();
    return;
  }
  QDialog::keyPressEvent(event);
}

void MainDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_shown) return;
  m_shown = true;
  if (auto* edit = FindControl<QLineEdit>(m_client, kAddressEdit)) edit->setFocus(Qt::OtherFocusReason);
  if (StartedWithAddress()) OnDownload();
}

}  // namespace shell
