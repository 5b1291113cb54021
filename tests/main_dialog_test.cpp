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
#include <map>

#include "quorvash/quorvash_window_program.h"
#include "window/about_dialog.h"
#include "window/control_ids.h"
#include "window/main_dialog.h"
#include "window/main_menu.h"
#include "window/settings_sheet.h"
#include "window/sponsor_panel.h"
#include "support/window_test_support.h"
#include "tarvelin/tarvelin_window_program.h"

using namespace window;

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

const WindowProgram& Tarvelin() { return tarvelin::TarvelinWindowProgram(); }
const WindowProgram& Quorvash() { return quorvash::QuorvashWindowProgram(); }

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
    QTest::addColumn<bool>("search");
    QTest::newRow("Tarvelin") << false;
    QTest::newRow("Quorvash") << true;
  }
  void layoutMenusAndCleanStore() {
    QFETCH(bool, search);
    const WindowProgram& program = search ? Quorvash() : Tarvelin();
    MainDialog dialog(program, platform::SettingsStore(search ? "layoutQ" : "layoutT"), {});
    const BaseUnits units = DialogBaseUnits();
    for (const ControlTemplate& control : program.mainTemplate.controls) {
      if (control.id == kNoId) continue;
      QWidget* widget = FindControl(&dialog, control.id);
      QVERIFY2(widget, qPrintable(QString::number(control.id)));
      QCOMPARE(widget->objectName(), QString("id%1").arg(control.id));
      const bool log = control.id == kTitleLog || control.id == kRunLog;
      QCOMPARE(widget->isHidden(), log);
      if (log) QVERIFY(FindControl<QPlainTextEdit>(&dialog, control.id)->isReadOnly());
    }
    // A few places in dialog units, as the layout has them.
    QCOMPARE(FindControl(&dialog, kAddressEdit)->geometry(),
             DluToPixels(search ? QRect(71, 7, 225, 14) : QRect(55, 7, 241, 14), units));
    QCOMPARE(FindControl(&dialog, kThumbnailList)->geometry(), DluToPixels(QRect(7, 183, 339, 165), units));
    QCOMPARE(FindControl(&dialog, kFirstCancelButton + 4)->geometry(), DluToPixels(QRect(313, 156, 33, 10), units));
    QCOMPARE(FindControl(&dialog, kExitButton)->geometry(), DluToPixels(QRect(198, 362, 50, 14), units));
    for (int k = 0; k < kWorkerCount; ++k)
      QVERIFY(FindControl<QLabel>(&dialog, kFirstFileLabel + k)->text().isEmpty());
    QCOMPARE(FindControl<QPushButton>(&dialog, kEnlargeButton)->text(), QString("&Up"));
    QVERIFY(dialog.minimumHeight() < dialog.height() && dialog.maximumHeight() > dialog.height());
    QVERIFY(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(!FindControl<QCheckBox>(&dialog, kNoScrollCheck)->isChecked());
    if (!search) {
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

  void controlsFollowTheirAnchors() {
    QWidget client;
    BuildControls(&client, Tarvelin().mainTemplate, BaseUnits{6, 13});
    client.setMinimumSize(0, 0);
    client.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QCOMPARE(NominalSize(&client), QSize(530, 622));
    const std::map<int, std::pair<QRect, QRect>> expected{
        // id: at 730 x 772, at 530 x 522
        {kAddressEdit, {QRect(83, 11, 561, 23), QRect(83, 11, 361, 23)}},
        {kDownloadButton, {QRect(644, 11, 75, 23), QRect(444, 11, 75, 23)}},
        {kFirstFileLabel, {QRect(63, 145, 544, 13), QRect(63, 145, 344, 13)}},
        {kFirstProgressBar, {QRect(607, 146, 63, 10), QRect(407, 146, 63, 10)}},
        {kThumbnailList, {QRect(11, 297, 708, 419), QRect(11, 297, 508, 169)}},
        {kPictureCounter, {QRect(140, 719, 30, 13), QRect(140, 469, 30, 13)}},
        {kEnlargeButton, {QRect(677, 716, 44, 22), QRect(477, 466, 44, 22)}},
        {kExitButton, {QRect(497, 738, 75, 23), QRect(297, 488, 75, 23)}},
        {kSponsorPanel, {QRect(11, 68, 471, 64), QRect(11, 68, 471, 64)}},
    };
    for (const bool larger : {true, false}) {
      client.resize(larger ? QSize(730, 772) : QSize(530, 522));
      ApplyAnchors(&client);
      for (const auto& [id, rects] : expected)
        QCOMPARE(FindControl(&client, id)->geometry(), larger ? rects.first : rects.second);
    }
  }

  void resizedWindowKeepsUpDownAndItsGeometry() {
    platform::SettingsStore store("resized");
    QRect saved;
    {
      MainDialog dialog(Tarvelin(), store, {});
      dialog.show();
      QWidget* list = FindControl(&dialog, kThumbnailList);
      QCOMPARE(list->geometry(), DluToPixels(QRect(7, 183, 339, 165), DialogBaseUnits()));
      const QSize nominal = list->size();
      dialog.resize(dialog.width() + 120, dialog.height() + 90);
      QTRY_COMPARE(list->size(), nominal + QSize(120, 90));
      const QRect before = list->geometry();
      auto* button = FindControl<QPushButton>(&dialog, kEnlargeButton);
      button->click();
      QCOMPARE(list->geometry().top(), FindControl(&dialog, kAddressEdit)->geometry().top());
      QCOMPARE(list->geometry().bottom(), before.bottom());
      button->click();
      QCOMPARE(list->geometry(), before);
      saved = dialog.geometry();
      dialog.hide();
    }
    MainDialog again(Tarvelin(), store, {});
    again.show();
    QCOMPARE(again.size(), saved.size());
  }

  void enlargeThenRestoreGivesBackTheLayout() {
    MainDialog dialog(Tarvelin(), platform::SettingsStore("enlarge"), {});
    QWidget* list = FindControl(&dialog, kThumbnailList);
    const QRect before = list->geometry();
    QMap<int, bool> hidden;
    for (const ControlTemplate& control : Tarvelin().mainTemplate.controls)
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
    store.WriteInt("No scroll", 1);
    MainDialog dialog(Tarvelin(), store, {});
    FakeControl control;
    dialog.SetRunControl(&control);
    dialog.show();
    auto* noScroll = FindControl<QCheckBox>(&dialog, kNoScrollCheck);
    QVERIFY(noScroll->isChecked());
    noScroll->click();
    QCOMPARE(store.ReadInt("No scroll", -1), 0);
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
    QCOMPARE(FindControl<QPlainTextEdit>(&dialog, kRunLog)->toPlainText(),
             QString("-------------0:index.htm...\n-------------0:(10 bytes, 0 seconds)----------\n"));
    // A long piece arrives over several passes of the event loop, in order;
    // a new log drops what still waited.
    QString many;
    for (int i = 0; i < 1000; ++i) many += QString("line %1\r\n").arg(i);
    auto* runLog = FindControl<QPlainTextEdit>(&dialog, kRunLog);
    dialog.AppendRunLog(many);
    QVERIFY(!runLog->toPlainText().contains("line 999"));
    QTRY_VERIFY(runLog->toPlainText().endsWith("line 998\nline 999\n"));
    QCOMPARE(runLog->blockCount(), 1003);
    dialog.AppendRunLog(many);
    dialog.SetRunLog("afresh\r\n");
    dialog.AppendRunLog("end\r\n");
    QTRY_COMPARE(runLog->toPlainText(), QString("afresh\nend\n"));
  }

  void exitAsksAndWaitsForTheRun() {
    MainDialog dialog(Quorvash(), platform::SettingsStore("exit"), {});
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
    StartUp startUp = ReadCommandLine(*Tarvelin().engine, {"\"http://127.0.0.1:9/\"", "x "});
    MainDialog dialog(Tarvelin(), platform::SettingsStore("started"), startUp);
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
    MainDialog quorvash(Quorvash(), store, {});
    pictures::BrowserPanel* panel = AddSponsorPanel(quorvash, store, noView);
    QCOMPARE(FindControl(&quorvash, kSponsorPanel), panel);
    QCOMPARE(panel->Address(), QUrl("http://sponsor.example.com/p-net-Quorvash.asp?adpos=0"));
    // Without a view the panel stays empty and no timer runs.
    QVERIFY(panel->children().isEmpty() && panel->ReloadPeriod().count() == 0);
    const StartUp started = ReadCommandLine(*Tarvelin().engine, {"http://127.0.0.1:9/"});
    for (const char* host : {" 127.0.0.1:8123 ", "127.0.0.1:8123/x?", "me@127.0.0.1:8123", ""}) {
      store.WriteString("sponsor host", host);
      MainDialog tarvelin(Tarvelin(), store, started);
      panel = AddSponsorPanel(tarvelin, store, noView);
      QCOMPARE(panel->Address().toString(), QString("http://%1/p-net-Tarvelin.asp?adpos=0")
                   .arg(host[0] == ' ' ? "127.0.0.1:8123" : kDefaultSponsorHost));
      QCOMPARE(panel->RefreshSeconds(), 60);
    }
  }

  void menuOpensSheetAtItsPageAndAbout() {
    MainDialog dialog(Quorvash(), platform::SettingsStore("menu"), {});
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
