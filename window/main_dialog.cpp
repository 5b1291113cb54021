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

#include "engine/run_logs.h"
#include "engine/settings_table.h"
#include "window/about_dialog.h"
#include "window/control_ids.h"
#include "window/dialog_template.h"
#include "window/help.h"
#include "window/log_appender.h"
#include "window/main_menu.h"
#include "window/settings_sheet.h"

namespace window {

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

// The logs show lines without their carriage returns.
QString ForControl(const QString& text) {
  QString shown = text;
  shown.remove(QLatin1Char('\r'));
  return shown;
}

template <typename T>
T* Bound(QWidget* client, int id) {
  T* control = FindControl<T>(client, id);
  Q_ASSERT(control);
  return control;
}


}  // namespace

MainDialog::MainDialog(const WindowProgram& program, platform::SettingsStore store, StartUp startUp,
                       QWidget* parent)
    : QDialog(parent),
      m_program(program),
      m_store(std::move(store)),
      m_startUp(std::move(startUp)) {
  BuildWindow();
  BindControls();
  Initialise();
  ConnectControls();
}

void MainDialog::BuildWindow() {
  const DialogTemplate& layout = m_program.mainTemplate;
  setWindowTitle(m_program.Title());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  auto* menuBar = new QMenuBar(this);
  BuildMainMenu(menuBar, m_program.settingMenuDeletes);
  connect(menuBar, &QMenuBar::triggered, this,
          [this](QAction* action) { OnCommand(CommandIdOf(action)); });
  m_client = new QWidget(this);
  BuildControls(m_client, layout, DialogBaseUnits());
  // The template is the layout at its nominal size; larger, the controls
  // follow their anchors.
  const QSize nominal = NominalSize(m_client);
  m_client->setMinimumSize(0, 0);
  m_client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  m_client->resize(nominal);
  m_client->installEventFilter(this);
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  box->setMenuBar(menuBar);
  box->addWidget(m_client);
  FitMinimumSize();
  const int menuHeight = menuBar->hasHeightForWidth() ? menuBar->heightForWidth(nominal.width())
                                                      : menuBar->sizeHint().height();
  resize(nominal.width(), nominal.height() + menuHeight);
  const std::string saved = engine::Read(m_store, engine::keys::kWindowGeometry);
  if (!saved.empty()) restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(saved)));
}

// While the controls lie where the template puts them.
void MainDialog::BindControls() {
  Controls& c = m_controls;
  c.address = Bound<QLineEdit>(m_client, kAddressEdit);
  c.download = Bound<QPushButton>(m_client, kDownloadButton);
  c.runLog = Bound<QPlainTextEdit>(m_client, kRunLog);
  c.titleLog = Bound<QPlainTextEdit>(m_client, kTitleLog);
  // As many lines as the engine keeps of each log.
  m_runLog = new LogAppender(*c.runLog, int(engine::kKeptLogLines));
  m_titleLog = new LogAppender(*c.titleLog, int(engine::kKeptLogLines));
  for (int k = 0; k < kWorkerCount; ++k) {
    c.fileLabels[k] = Bound<QLabel>(m_client, kFirstFileLabel + k);
    c.bars[k] = Bound<QProgressBar>(m_client, kFirstProgressBar + k);
    c.cancels[k] = Bound<QPushButton>(m_client, kFirstCancelButton + k);
  }
  c.list = Bound<QWidget>(m_client, kThumbnailList);
  c.noScroll = Bound<QCheckBox>(m_client, kNoScrollCheck);
  c.enlarge = Bound<QPushButton>(m_client, kEnlargeButton);
  c.stop = Bound<QPushButton>(m_client, kStopButton);
  c.exit = Bound<QPushButton>(m_client, kExitButton);
}

void MainDialog::Initialise() {
  for (QLabel* label : m_controls.fileLabels) label->clear();
  const std::string fallback = m_program.defaultHistory ? m_program.defaultHistory(m_store) : "";
  std::string address = engine::Read(m_store, engine::keys::kHistory, fallback);
  if (!m_startUp.commandLine.empty()) {
    address = m_startUp.commandLine;
  } else if (std::optional<std::string> browser = FindBrowserAddress(m_program, m_startUp, m_store)) {
    address = *browser;
  }
  SetAddress(QString::fromStdString(address));
  m_controls.noScroll->setChecked(engine::Read(m_store, *m_program.engine, engine::keys::kNoScroll) != 0);
}

void MainDialog::ConnectControls() {
  const Controls& c = m_controls;
  connect(c.download, &QPushButton::clicked, this, &MainDialog::OnDownload);
  connect(c.stop, &QPushButton::clicked, this, [this] {
    if (m_control) m_control->Stop();
  });
  for (int k = 0; k < kWorkerCount; ++k) {
    connect(c.cancels[k], &QPushButton::clicked, this, [this, k] {
      if (m_control) m_control->Cancel(k);
    });
  }
  connect(c.enlarge, &QPushButton::clicked, this, &MainDialog::EnlargeThumbnails);
  connect(c.exit, &QPushButton::clicked, this, &MainDialog::reject);
  connect(c.noScroll, &QCheckBox::clicked, this, &MainDialog::OnNoScroll);
}

void MainDialog::SetThumbnailList(QWidget* list) {
  if (ReplaceControl(m_client, kThumbnailList, list)) m_controls.list = list;
  LayOut();
}

void MainDialog::SetSponsorPanel(QWidget* panel) {
  ReplaceControl(m_client, kSponsorPanel, panel);
  LayOut();
}

QString MainDialog::Address() const { return m_controls.address->text(); }

void MainDialog::SetAddress(const QString& address) {
  m_controls.address->setText(address);
  m_controls.address->setCursorPosition(0);
}

void MainDialog::OnCommand(int command) {
  if (const std::optional<PageKind> page = PageOfCommand(command)) {
    const int index = PageIndexOf(m_program, *page);
    if (index >= 0) OpenSettings(index);
    return;
  }
  switch (command) {
    case kCmdExit: reject(); break;
    case kCmdOpenGallery: if (m_openGallery) m_openGallery(); break;
    case kCmdHelpContents: OpenHelp(m_program); break;
    case kCmdAbout: ShowAbout(); break;
    default: break;
  }
}

void MainDialog::OpenSettings(int pageIndex) {
  PageContext context;
  context.program = &m_program;
  context.store = m_store;
  context.executablePath = QCoreApplication::applicationFilePath();
  SettingsSheet sheet(context, pageIndex, this);
  sheet.exec();
}

void MainDialog::ShowAbout() {
  AboutDialog about(m_program, this);
  about.exec();
}

void MainDialog::OnDownload() {
  if (m_closing || !m_control) return;
  m_control->Download(Address().toStdString());
}

void MainDialog::OnNoScroll(bool checked) {
  engine::Write(m_store, engine::keys::kNoScroll, checked ? 1 : 0);
}


void MainDialog::ShowWorkerRow(int worker, const QString& label, qint64 high, qint64 pos) {
  if (worker < 0 || worker >= kWorkerCount) return;
  if (QLabel* text = m_controls.fileLabels[worker]; text->text() != label) text->setText(label);
  QProgressBar* bar = m_controls.bars[worker];
  high = std::max<qint64>(high, 0);
  pos = std::clamp<qint64>(pos, 0, high);
  const qint64 scale = high / std::numeric_limits<int>::max() + 1;
  bar->setRange(0, static_cast<int>(high / scale));
  bar->setValue(static_cast<int>(pos / scale));
}

void MainDialog::SetRunLog(const QString& text) { m_runLog->Set(ForControl(text)); }

void MainDialog::AppendRunLog(const QString& text) { m_runLog->Append(ForControl(text)); }

void MainDialog::SetTitleLog(const QString& text) { m_titleLog->Set(ForControl(text)); }

void MainDialog::AppendTitleLog(const QString& text) { m_titleLog->Append(ForControl(text)); }

void MainDialog::reject() {
  if (m_closing) return;
  // Started with an address, the program leaves without asking.
  if (!StartedWithAddress()) {
    const auto answer = QMessageBox::question(this, m_program.Title(),
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
  // Enter on the list opens the selected picture, as a double click does;
  // anywhere else but on a button it is the dialog's OK: Download.
  QWidget* list = m_controls.list;
  if (enter && modifiers == Qt::NoModifier && list &&
      (focusWidget() == list || list->isAncestorOf(focusWidget()))) {
    if (m_openPicture) m_openPicture();
    return;
  }
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
  m_controls.address->setFocus(Qt::OtherFocusReason);
  if (StartedWithAddress()) OnDownload();
}

}  // namespace window
