// The main dialog: its layout by control id, the menus, the worker-row and
// list commands, the exit question and the start-up addresses.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "quorvash/quorvash_window_program.h"
#include "window/about_dialog.h"
#include "window/control_ids.h"
#include "window/main_dialog.h"
#include "window/main_dialog_template.h"
#include "window/main_menu.h"
#include "window/settings_sheet.h"
#include "window/sponsor_panel.h"
#include "support/window_test_support.h"
#include "tarvelin/tarvelin_window_program.h"

using namespace shell;

namespace {

struct FakeControl : RunControl {
  void Download(const std::string& address) override { downloads.push_back(address); }
  void Stop() override { ++stops; }
  void Cancel(int worker) override { cancels.push_back(worker); }
  bool Leave() override { ++leaves; return running; }
  std::vector<std::string> downloads;
  std::vector<int> cancels;
  int stops = 0, leaves = 0;
  bool running = false;
};

WindowProgram ProgramOf(engine::ProgramKind kind) {
  return kind == engine::ProgramKind::Quorvash ? quorvash::QuorvashWindowProgram()
                                       : tarvelin::TarvelinWindowProgram();
}

QStringList SettingMenu(const QWidget* dialog) {
  QStringList entries;
  for (QAction* action : dialog->findChild<QMenuBar*>()->actions()[1]->menu()->actions())
    entries << action->text() + "=" + QString::number(CommandIdOf(action));
  return entries;
}

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void dialogUnitsUseTheFontsBaseUnits() {
    const BaseUnits units{6, 13};
    QCOMPARE(DluToPixels(QRect(55, 7, 241, 14), units), QRect(83, 11, 361, 23));
    QCOMPARE(DluToPixelsX(-3, units), -5);
  }

  void layoutMenusAndCleanStore_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("Tarvelin") << int(engine::ProgramKind::Tarvelin);
    QTest::newRow("Quorvash") << int(engine::ProgramKind::Quorvash);
  }
  void layoutMenusAndCleanStore() {
    QFETCH(int, kind);
    const auto programKind = engine::ProgramKind(kind);
    const QString name = QString("layout%1").arg(kind);
    MainDialog dialog(ProgramOf(programKind), platform::SettingsStore(name.toStdString()), {});
    const BaseUnits units = DialogBaseUnits();
    for (const ControlTemplate& control : MainDialogTemplate(programKind).controls) {
      if (control.id == kNoId) continue;
      QWidget* widget = FindControl(&dialog, control.id);
      QVERIFY2(widget, qPrintable(QString::number(control.id)));
      QCOMPARE(widget->objectName(), QString("id%1").arg(control.id));
      QCOMPARE(widget->geometry(), DluToPixels(control.rect, units));
      const bool log = control.id == kTitleLog || control.id == kRunLog;
      QCOMPARE(widget->isHidden(), log);
      if (log) QVERIFY(FindControl<QPlainTextEdit>(&dialog, control.id)->isReadOnly());
    }
    for (int k = 0; k < kWorkerCount; ++k)
      QVERIFY(FindControl<QLabel>(&dialog, kFirstFileLabel + k)->text().isEmpty());
    QCOMPARE(FindControl<QPushButton>(&dialog, kEnlargeButton)->text(), QString("&Up"));
    QVERIFY(dialog.minimumSize() == dialog.maximumSize());
    QVERIFY(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!FindControl<QCheckBox>(&dialog, kNoScrollCheck)->isChecked());
    if (programKind == engine::ProgramKind::Tarvelin) {
      QCOMPARE(dialog.windowTitle(), QString("Tarvelin"));
      QCOMPARE(dialog.Address(), QString(tarvelin::kDefaultHistory));
      QCOMPARE(SettingMenu(&dialog),
               QStringList({"&Download range...=130", "File &size...=138", "Directory &level...=142",
                            "Enable the web browser button...=144", "S&tatus...=140"}));
    } else {
      QCOMPARE(dialog.windowTitle(), QString("Quorvash"));
      QVERIFY(dialog.Address().startsWith("http://images.google.com/images?"));
      QVERIFY(dialog.Address().endsWith("&q=scene"));
      QCOMPARE(SettingMenu(&dialog), QStringList({"&Download range...=130",
                                                  "Enable the web browser button...=144",
                                                  "S&tatus...=140"}));
    }
    for (int command : {kCmdExit, kCmdOpenGallery, kCmdHelpContents, kCmdAbout})
      QVERIFY(FindCommand(&dialog, command));
    QVERIFY(!FindCommand(&dialog, kCmdFileFormats));
  }

  void enlargeThenRestoreGivesBackTheLayout() {
    MainDialog dialog(ProgramOf(engine::ProgramKind::Tarvelin), platform::SettingsStore("enlarge"), {});
    QWidget* list = FindControl(&dialog, kThumbnailList);
    const QRect before = list->geometry();
    QMap<int, bool> hidden;
    for (const ControlTemplate& control : MainDialogTemplate(engine::ProgramKind::Tarvelin).controls)
      if (control.id != kNoId) hidden[control.id] = FindControl(&dialog, control.id)->isHidden();
    auto* button = FindControl<QPushButton>(&dialog, kEnlargeButton);
    button->click();
    QCOMPARE(button->text(), QString("Do&wn"));
    QCOMPARE(list->geometry().top(), FindControl(&dialog, kAddressEdit)->geometry().top());
    QCOMPARE(list->geometry().bottom(), before.bottom());
    QVERIFY(FindControl(&dialog, kAddressEdit)->isHidden());
    for (int id : {kThumbnailList, kCounterLabel, kPictureCounter, kNoScrollCheck, kStopButton, kExitButton})
      QVERIFY(!FindControl(&dialog, id)->isHidden());
    button->click();
    QCOMPARE(button->text(), QString("&Up"));
    QCOMPARE(list->geometry(), before);
    for (auto it = hidden.begin(); it != hidden.end(); ++it)
      QCOMPARE(FindControl(&dialog, it.key())->isHidden(), it.value());
  }

  void commandsReachTheControl() {
    platform::SettingsStore store("commands");
    store.WriteSettingInt("Settings", "No scroll", 1);
    MainDialog dialog(ProgramOf(engine::ProgramKind::Tarvelin), store, {});
    FakeControl control;
    dialog.SetRunControl(&control);
    dialog.show();
    auto* noScroll = FindControl<QCheckBox>(&dialog, kNoScrollCheck);
    QVERIFY(noScroll->isChecked());
    noScroll->click();
    QCOMPARE(store.ReadSettingInt("Settings", "No scroll", -1), 0);
    auto* edit = FindControl<QLineEdit>(&dialog, kAddressEdit);
    edit->setText("http://127.0.0.1:9/a b");
    QTest::keyClick(edit, Qt::Key_Return);
    FindControl<QPushButton>(&dialog, kDownloadButton)->click();
    QCOMPARE(control.downloads, (std::vector<std::string>{"http://127.0.0.1:9/a b", "http://127.0.0.1:9/a b"}));
    FindControl<QPushButton>(&dialog, kStopButton)->click();
    FindControl<QPushButton>(&dialog, kFirstCancelButton + 3)->click();
    QCOMPARE(control.stops, 1);
    QCOMPARE(control.cancels, std::vector<int>{3});
    dialog.ShowWorkerRow(1, "big.jpg", 6000000000LL, 3000000000LL);
    auto* bar = FindControl<QProgressBar>(&dialog, kFirstProgressBar + 1);
    QCOMPARE(FindControl<QLabel>(&dialog, kFirstFileLabel + 1)->text(), QString("big.jpg"));
    QCOMPARE(bar->value() * 2, bar->maximum());
    dialog.SetRunLog("-------------0:index.htm...\r\n");
    dialog.AppendRunLog("-------------0:(10 bytes, 0 seconds)----------\r\n");
    QCOMPARE(dialog.RunLog(), QString("-------------0:index.htm...\r\n-------------0:(10 bytes, 0 seconds)----------\r\n"));
    QCOMPARE(FindControl<QPlainTextEdit>(&dialog, kRunLog)->toPlainText(), QString(dialog.RunLog()).remove('\r'));
  }

  void exitAsksAndWaitsForTheRun() {
    MainDialog dialog(ProgramOf(engine::ProgramKind::Quorvash), platform::SettingsStore("exit"), {});
    FakeControl control;
    dialog.SetRunControl(&control);
    dialog.show();
    {
      MessageBoxAnswerer no(QMessageBox::No);
      QTest::keyClick(&dialog, Qt::Key_Escape);
      QCOMPARE(no.texts, QStringList{"Are you sure want to exit?"});
    }
    QVERIFY(dialog.isVisible());
    QCOMPARE(control.leaves, 0);
    control.running = true;
    {
      MessageBoxAnswerer yes(QMessageBox::Yes);
      FindControl<QPushButton>(&dialog, kExitButton)->click();
      QCOMPARE(yes.texts.size(), 1);
    }
    QCOMPARE(control.leaves, 1);
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.IsClosing());
    FindControl<QPushButton>(&dialog, kDownloadButton)->click();
    QVERIFY(control.downloads.empty());
    dialog.RunEnded();
    QVERIFY(!dialog.isVisible());
  }

  void startAddressStartsAtOnceAndLeavesWithoutAsking() {
    StartUp startUp = ReadCommandLine(engine::ProgramKind::Tarvelin, {"\"http://127.0.0.1:9/\"", "x "});
    MainDialog dialog(ProgramOf(engine::ProgramKind::Tarvelin), platform::SettingsStore("started"), startUp);
    FakeControl control;
    dialog.SetRunControl(&control);
    dialog.show();
    QCOMPARE(control.downloads, std::vector<std::string>{"\"http://127.0.0.1:9/\" x "});
    MessageBoxAnswerer none(QMessageBox::No);
    dialog.close();
    QVERIFY(!dialog.isVisible());
    QVERIFY(none.texts.isEmpty());
  }

  void sponsorPanelTakesPlace1006WithTheProgramsPage() {
    platform::SettingsStore store("sponsor");
    const auto noView = [](QWidget*) -> pictures::PageView* { return nullptr; };
    MainDialog quorvash(ProgramOf(engine::ProgramKind::Quorvash), store, {});
    pictures::BrowserPanel* panel = AddSponsorPanel(quorvash, store, noView);
    QCOMPARE(FindControl(&quorvash, kSponsorPanel), panel);
    QCOMPARE(panel->Address(), QUrl("http://sponsor.example.com/p-net-Quorvash.asp?adpos=0"));
    // Without a view the panel stays empty and no timer runs.
    QVERIFY(panel->children().isEmpty() && panel->ReloadPeriod().count() == 0);
    const StartUp started = ReadCommandLine(engine::ProgramKind::Tarvelin, {"http://127.0.0.1:9/"});
    for (const char* host : {" 127.0.0.1:8123 ", "127.0.0.1:8123/x?", "me@127.0.0.1:8123", ""}) {
      store.WriteSettingString(platform::kSettingsSection, kSponsorHostKey, host);
      MainDialog tarvelin(ProgramOf(engine::ProgramKind::Tarvelin), store, started);
      panel = AddSponsorPanel(tarvelin, store, noView);
      QCOMPARE(panel->Address().toString(), QString("http://%1/p-net-Tarvelin.asp?adpos=0")
                   .arg(host[0] == ' ' ? "127.0.0.1:8123" : kDefaultSponsorHost));
      QCOMPARE(panel->RefreshSeconds(), 60);
    }
  }

  void menuOpensSheetAtItsPageAndAbout() {
    MainDialog dialog(ProgramOf(engine::ProgramKind::Quorvash), platform::SettingsStore("menu"), {});
    int shownIndex = -1;
    OnNextModal<SettingsSheet>([&](SettingsSheet* sheet) {
      shownIndex = sheet->Tabs()->currentIndex();
      QCOMPARE(sheet->windowTitle(), QString("Settings"));
    });
    FindCommand(&dialog, kCmdBrowserButton)->trigger();
    QCOMPARE(shownIndex, 1);
    QStringList texts;
    OnNextModal<AboutDialog>([&](AboutDialog* about) {
      texts << about->windowTitle();
      for (QLabel* label : about->findChildren<QLabel*>()) texts << label->text();
    });
    FindCommand(&dialog, kCmdAbout)->trigger();
    QVERIFY(texts.contains("About Quorvash"));
    QVERIFY(texts.contains("Quorvash Version 2.0"));
  }
};

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
