// The Settings sheet: integers as a dialog reads them, which pages load and
// write when, Apply's state, and the browser button's page.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "platform/browser_button.h"
#include "quorvash/quorvash_window_program.h"
#include "tarvelin/tarvelin_window_program.h"
#include "window/control_ids.h"
#include "window/dialog_integer.h"
#include "window/settings_sheet.h"
#include "support/window_test_support.h"

using namespace window;
using namespace platform;

namespace {

PageContext ContextOf(const WindowProgram& windowProgram, const char* program) {
  PageContext context;
  context.program = &windowProgram;
  context.store = platform::SettingsStore(program);
  context.executablePath = "/opt/fetchers/bin/Program";
  return context;
}

QPushButton* Apply(SettingsSheet& sheet) { return FindControl<QPushButton>(&sheet, kSheetApply); }

}  // namespace

class SettingsSheetTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void integersAsTyped() {
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"0", 0}, {" 42 ", 42}, {"\t-7\t", -7}, {"+5", 5}, {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN}, {"", {}}, {"  ", {}}, {"abc", {}}, {"12abc", {}},
        {"1 2", {}}, {"+", {}}, {"--1", {}}, {"2147483648", {}}, {"-2147483649", {}},
        {"99999999999999999999", {}}, {"\xd9\xa3", {}}};
    for (const auto& [text, expected] : cases)
      QVERIFY2(ParseDialogInt(QString::fromUtf8(text)) == expected, text);
  }

  void startPageAloneIsLoadedAndWritten() {
    platform::SettingsStore store("sizeOnly");
    store.WriteInt("file size", 300);
    SettingsSheet sheet(ContextOf(tarvelin::TarvelinWindowProgram(), "sizeOnly"), 1);
    QCOMPARE(sheet.Tabs()->currentIndex(), 1);
    for (int i = 0; i < sheet.PageCount(); ++i) QCOMPARE(sheet.Page(i) != nullptr, i == 1);
    QCOMPARE(FindControl<QLineEdit>(sheet.Page(1), kFileSizeEdit)->text(), QString("300"));
    sheet.accept();
    QCOMPARE(StoredKeys("sizeOnly"), (QStringList{"file size", "rate", "wait"}));
  }

  void everyTabThenOkWritesEveryKey() {
    SettingsSheet sheet(ContextOf(tarvelin::TarvelinWindowProgram(), "allTabs"), 0);
    sheet.show();
    for (int i = 1; i < sheet.PageCount(); ++i) sheet.Tabs()->setCurrentIndex(i);
    QCOMPARE(sheet.Tabs()->tabText(3), QString("Web browser button"));
    sheet.accept();
    QStringList keys = StoredKeys("allTabs");
    keys.sort();
    QCOMPARE(keys, QStringList({"MaxCount", "RangeFrom", "RangeTo", "file size", "level", "modern pages", "rate",
                                "robots", "show link", "show thread", "wait"}));
    QCOMPARE(platform::SettingsStore("allTabs").ReadInt("level", -5), 0);
  }

  void badIntegerKeepsThePage() {
    SettingsSheet sheet(ContextOf(quorvash::QuorvashWindowProgram(), "badInt"), 0);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowActive(&sheet));
    auto* maxCount = FindControl<QLineEdit>(sheet.Page(0), kMaxCountEdit);
    for (const char* bad : {"12abc", "", "4294967296"}) {
      maxCount->setText(bad);
      MessageBoxAnswerer ok(QMessageBox::Ok);
      sheet.Tabs()->setCurrentIndex(2);
      QCOMPARE(ok.texts, QStringList{"Please enter an integer."});
      QCOMPARE(sheet.Tabs()->currentIndex(), 0);
      QCOMPARE(maxCount->selectedText(), QString(bad));
      QCOMPARE(sheet.focusWidget(), maxCount);
      sheet.accept();
      QVERIFY(sheet.isVisible());
    }
    QVERIFY(StoredKeys("badInt").isEmpty());
    maxCount->setText(" -3\t");
    sheet.accept();
    QVERIFY(!sheet.isVisible());
    QCOMPARE(platform::SettingsStore("badInt").ReadInt("MaxCount", 0), -3);
  }

  void applyFollowsEditsAndCancelWritesNothing() {
    SettingsSheet sheet(ContextOf(tarvelin::TarvelinWindowProgram(), "apply"), 2);
    sheet.show();
    auto* level = FindControl<QComboBox>(sheet.Page(2), kLevelCombo);
    level->setCurrentIndex(1);
    QVERIFY(!Apply(sheet)->isEnabled());
    sheet.Tabs()->setCurrentIndex(0);
    QTest::keyClicks(FindControl<QLineEdit>(sheet.Page(0), kRangeFromEdit), "7");
    QVERIFY(Apply(sheet)->isEnabled());
    Apply(sheet)->click();
    QVERIFY(!Apply(sheet)->isEnabled());
    platform::SettingsStore store("apply");
    QCOMPARE(store.ReadInt("RangeFrom", 0), 7);
    QCOMPARE(store.ReadInt("level", 0), 1);
    QTest::keyClicks(FindControl<QLineEdit>(sheet.Page(0), kRangeFromEdit), "7");
    sheet.reject();
    QCOMPARE(store.ReadInt("RangeFrom", 0), 7);

    store.WriteInt("level", 5);
    store.WriteInt("show thread", 1);
    SettingsSheet again(ContextOf(tarvelin::TarvelinWindowProgram(), "apply"), 2);
    QCOMPARE(FindControl<QComboBox>(again.Page(2), kLevelCombo)->currentIndex(), -1);
    again.Tabs()->setCurrentIndex(4);
    QVERIFY(FindControl<QCheckBox>(again.Page(4), kShowThreadCheck)->isChecked());
    FindControl<QCheckBox>(again.Page(4), kShowLinkCheck)->click();
    QVERIFY(Apply(again)->isEnabled());
    again.accept();
    QCOMPARE(store.ReadInt("level", 0), -1);
    QCOMPARE(store.ReadInt("show link", 0), 1);
  }

  // Only the program that has "modern pages" shows it.
  void modernPagesShownWhereTheProgramHasIt() {
    SettingsSheet sheet(ContextOf(tarvelin::TarvelinWindowProgram(), "modern"), 4);
    sheet.show();
    auto* check = FindControl<QCheckBox>(sheet.Page(4), kModernPagesCheck);
    QVERIFY(check->isVisible() && check->isChecked());
    check->click();
    sheet.accept();
    QCOMPARE(platform::SettingsStore("modern").ReadInt("modern pages", -5), 0);
    SettingsSheet other(ContextOf(quorvash::QuorvashWindowProgram(), "modernOther"), 2);
    other.show();
    QVERIFY(!FindControl<QCheckBox>(other.Page(2), kModernPagesCheck)->isVisible());
  }

  void browserButtonPageRegistersAndRemoves() {
    const PageContext context = ContextOf(quorvash::QuorvashWindowProgram(), "button");
    {
      SettingsSheet sheet(context, 1);
      auto* check = FindControl<QCheckBox>(sheet.Page(1), kButtonCheck);
      QVERIFY(!check->isChecked());
      QCOMPARE(FindControl<QLineEdit>(sheet.Page(1), kBookmarkletEdit)->text(), Bookmarklet("quorvash"));
      check->click();
      QVERIFY(Apply(sheet)->isEnabled());
      sheet.accept();
    }
    QVERIFY(IsBrowserButtonRegistered("quorvash"));
    QFile entry(HandlerDesktopPath("quorvash"));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString text = entry.readAll();
    QVERIFY(text.contains("Name=Run Quorvash\n"));
    QVERIFY(text.contains("Exec=/opt/fetchers/bin/Program %u\n"));
    QVERIFY(text.contains("Icon=quorvash\n"));  // no icon beside it: the theme's
    SettingsSheet sheet(context, 1);
    auto* check = FindControl<QCheckBox>(sheet.Page(1), kButtonCheck);
    QVERIFY(check->isChecked());
    check->click();
    sheet.accept();
    QVERIFY(!IsBrowserButtonRegistered("quorvash"));
    QVERIFY(StoredKeys("button").isEmpty());
  }
};

QTEST_MAIN(SettingsSheetTest)
#include "settings_sheet_test.moc"
