// The main window on Qt, driven through its widgets on the offscreen
// platform: keys, clicks, menus and the real timers reach the window logic.
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <memory>
#include <string>
#include <vector>

#include "display_text.h"
#include "form1_window.h"
#include "options.h"
#include "working_files.h"

using namespace morvel;

namespace {

// Keeps the messages instead of writing them.
class Reports final : public Reporter {
 public:
  void error(std::string_view) override {}
  void message(std::string_view subject, std::string_view note) override {
    messages.push_back(std::string(subject) + " " + std::string(note));
  }
  void info(std::string_view) override {}
  void note(std::string_view sentence) override { messages.emplace_back(sentence); }
  std::vector<std::string> messages;
};

const std::string kHiraganaA = "\x82\xA0";
const QString kHiraganaAShown = QString::fromUtf8("\xE3\x81\x82");

QByteArray readBytes(const char* name) {
  QFile file(QString::fromLatin1(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

void writeBytes(const char* name, const std::string& bytes) {
  QFile file(QString::fromLatin1(name));
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

QList<QByteArray> asBytes(const std::vector<std::string>& list) {
  QList<QByteArray> bytes;
  for (const std::string& item : list) bytes.append(QByteArray::fromStdString(item));
  return bytes;
}

}  // namespace

class Form1WindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();

  void startsAtTheStandardSizeWithOneSpaceInVel();
  void showsTheFirstFittedRowsOfAHandOver();
  void everyRowShowsWithoutScrolling();
  void keysReleasedAnywhereReachTheLogic();
  void aReleaseInTheMemoCountsOnce();
  void homeHandsBackUtf8AndDoesNotCollectIt();
  void menusAndTheStatusBarReachTheLogic();
  void leaveHandsBackTheConvertedLines();
  void leaveWaitsForTheFolderLock();
  void exitAndF3DeleteVel();

 private:
  void open(const FinalEffect& settings = {});
  void handOver(const std::string& text, std::size_t collected);
  void destroy() { window_.reset(); }
  QString panel0() const { return window_->findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text(); }
  void trigger(const char* action) const { window_->findChild<QAction*>(QString::fromLatin1(action))->trigger(); }
  QRect screen() const { return window_->screen()->geometry(); }

  QString previous_;
  std::unique_ptr<QTemporaryDir> dir_;
  Reports reports_;
  std::unique_ptr<DisplayText> display_;
  std::unique_ptr<Form1Window> window_;
};

void Form1WindowTest::init() {
  previous_ = QDir::currentPath();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  QVERIFY(QDir::setCurrent(dir_->path()));
  for (const char* name : {"MS932~EUC-JP.bin", "MS932~UTF-8.bin", "MS932~Shift_JIS.bin"}) {
    QVERIFY(QFile::copy(QStringLiteral(MORVEL_DATA_DIR "/") + QString::fromLatin1(name), QString::fromLatin1(name)));
  }
  reports_ = Reports();
}

void Form1WindowTest::cleanup() {
  destroy();
  display_.reset();
  QDir::setCurrent(previous_);
  dir_.reset();
}

void Form1WindowTest::open(const FinalEffect& settings) {
  display_ = std::make_unique<DisplayText>();
  window_ = std::make_unique<Form1Window>(settings, reports_, *display_);
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  window_->memo()->setFocus();
}

// The other program writes "VEL"; the window's timers pick it up.
void Form1WindowTest::handOver(const std::string& text, std::size_t collected) {
  writeBytes("VEL", text);
  QTRY_COMPARE_WITH_TIMEOUT(window_->logic().collectedLines().size(), collected, 5000);
}

void Form1WindowTest::startsAtTheStandardSizeWithOneSpaceInVel() {
  open();
  QCOMPARE(window_->frameGeometry(), QRect(screen().width() - 677, screen().height() - 534, 677, 491));
  QCOMPARE(window_->windowTitle(), QStringLiteral("Morvel"));
  QCOMPARE(panel0(), QDir::currentPath());
  QCOMPARE(readBytes("VEL"), QByteArray(" "));
  const QRect button = window_->findChild<QPushButton*>(QStringLiteral("Button1"))->geometry();
  QCOMPARE(button.size(), QSize(68, 34));
  QCOMPARE(button.right() + 1, window_->width());
  QCOMPARE(button.bottom() + 1, window_->statusBar()->y());
}

void Form1WindowTest::showsTheFirstFittedRowsOfAHandOver() {
  open();
  std::string text = "A" + kHiraganaA + "\r\n" + std::string(100, 'x') + "\r\n";
  for (int k = 3; k <= 40; ++k) text += "line " + std::to_string(k) + "\r\n";
  handOver(text, 40);
  QString shown = QStringLiteral("A") + kHiraganaAShown + "\n" + QString(79, QLatin1Char('x')) + "+\n";
  for (int k = 3; k <= 26; ++k) shown += QStringLiteral("line %1\n").arg(k);
  QCOMPARE(window_->memo()->toPlainText(), shown);
  QCOMPARE(window_->logic().collectedLines().back(), std::string("line 40"));
}

// At the standard size and at Large, the rows the window counts all show in
// the display area, in a readable font, with no scroll bar.
void Form1WindowTest::everyRowShowsWithoutScrolling() {
  open();
  std::string text;
  for (int k = 1; k <= 80; ++k) text += "\x93\xfa\x96\x7b line " + std::to_string(k) + "\r\n";  // the kanji of Japan
  std::size_t collected = 0;
  for (const char* size : {"Standard1", "Large1"}) {
    trigger(size);
    QCoreApplication::processEvents();
    handOver(text, collected += 80);
    const int rows = window_->logic().visibleRows();
    QTextEdit* memo = window_->memo();
    const QTextBlock last = memo->document()->findBlockByNumber(rows - 1);
    QVERIFY(last.isValid());
    QVERIFY(last.text().endsWith(QStringLiteral("line %1").arg(rows)));
    const int lineHeight = static_cast<int>(last.blockFormat().lineHeight());
    QVERIFY2(memo->viewport()->height() >= rows * lineHeight, size);
    QVERIFY2(memo->document()->documentLayout()->blockBoundingRect(last).bottom() <= memo->viewport()->height(), size);
    QVERIFY2(!memo->verticalScrollBar()->isVisible(), size);
    QVERIFY2(memo->font().pixelSize() >= 12, size);
  }
}

void Form1WindowTest::keysReleasedAnywhereReachTheLogic() {
  open();
  QTextEdit* memo = window_->memo();
  QTest::keyClick(memo, Qt::Key_End);
  QCOMPARE(panel0(), QStringLiteral("EUC-JP"));
  QCOMPARE(encodingNumber(window_->logic().encoding()), 1);
  QTest::keyClick(memo, Qt::Key_PageUp);
  QCOMPARE(panel0(), QStringLiteral("UTF-8"));
  QCOMPARE(encodingNumber(window_->logic().encoding()), 3);
  QTest::keyClick(window_.get(), Qt::Key_F8);
  QCOMPARE(memo->toPlainText(), QStringLiteral("UTF-8"));
  QTest::keyClick(memo, Qt::Key_A);  // the memo still gets its keys
  QCOMPARE(memo->toPlainText(), QStringLiteral("aUTF-8"));
}

// With -w each conversion names the table it found, once.
void Form1WindowTest::aReleaseInTheMemoCountsOnce() {
  FinalEffect settings;
  settings.whichTable = true;
  open(settings);
  QTest::keyClick(window_->memo(), Qt::Key_Home);
  QCOMPARE(asBytes(reports_.messages), QList<QByteArray>{"MS932~UTF-8.bin is primarily accessible to Morvel."});
}

void Form1WindowTest::homeHandsBackUtf8AndDoesNotCollectIt() {
  open();
  handOver("A" + kHiraganaA + "\r\n", 1);
  QTest::keyClick(window_->memo(), Qt::Key_Home);
  QCOMPARE(readBytes("VEL"), QByteArray("A\xE3\x81\x82\r\n"));
  QCOMPARE(encodingNumber(window_->logic().encoding()), 3);
  QTest::qWait(2 * kPollInterval);
  QCOMPARE(asBytes(window_->logic().collectedLines()), QList<QByteArray>{"A\x82\xA0"});
}

void Form1WindowTest::menusAndTheStatusBarReachTheLogic() {
  open();
  trigger("ShiftJIS1");
  QCOMPARE(panel0(), QStringLiteral("Shift_JIS"));
  QCOMPARE(encodingNumber(window_->logic().encoding()), 2);
  trigger("UTF81");
  QCOMPARE(panel0(), QStringLiteral("UTF-8"));
  QCOMPARE(encodingNumber(window_->logic().encoding()), 3);
  auto* eucJp = window_->findChild<QMenu*>(QStringLiteral("EUCJP1"));
  eucJp->popup(window_->geometry().center());
  QCOMPARE(panel0(), QStringLiteral("EUC-JP"));
  QCOMPARE(encodingNumber(window_->logic().encoding()), 1);
  eucJp->close();

  trigger("Large1");
  QTRY_COMPARE(window_->frameGeometry(), QRect(0, 0, screen().width(), screen().height() - 43));
  const QRect button = window_->findChild<QPushButton*>(QStringLiteral("Button1"))->geometry();
  QCOMPARE(button.right() + 1, window_->width());
  QCOMPARE(button.bottom() + 1, window_->statusBar()->y());
  QTest::keyClick(window_.get(), Qt::Key_F5);
  QTRY_COMPARE(window_->frameGeometry(), QRect(screen().width() - 677, screen().height() - 534, 677, 491));

  QTest::mouseClick(window_->statusBar(), Qt::LeftButton);
  QCOMPARE(window_->memo()->toPlainText(), QStringLiteral(" "));
}

void Form1WindowTest::leaveHandsBackTheConvertedLines() {
  FinalEffect settings;
  settings.crlf = false;
  open(settings);
  handOver("A" + kHiraganaA + "\r\n", 1);
  trigger("Leave1");
  QVERIFY(!window_->isVisible());
  QCOMPARE(readBytes("VEL"), QByteArray("A\xE3\x81\x82\n"));  // as it closed, before it is destroyed
}

// Another run holds "binary.tmp": Leave waits with the window open and
// running, and closes it once the lock is free.
void Form1WindowTest::leaveWaitsForTheFolderLock() {
  open();
  handOver("A\r\n", 1);
  auto other = std::make_unique<WorkFolderLock>();
  trigger("Leave1");
  QVERIFY(window_->isVisible());
  QCOMPARE(panel0(), QString::fromLatin1(kWaitingForLockText));
  handOver("B\r\n", 2);  // the window still collects
  other.reset();
  QTRY_VERIFY_WITH_TIMEOUT(!window_->isVisible(), 5000);
  QCOMPARE(readBytes("VEL"), QByteArray("A\r\nB\r\n"));
}

void Form1WindowTest::exitAndF3DeleteVel() {
  open();
  trigger("Exit1");
  QVERIFY(!QFile::exists("VEL"));

  open();
  QTest::keyClick(window_->memo(), Qt::Key_F3);
  QVERIFY(!window_->isVisible());
  QVERIFY(!QFile::exists("VEL"));
}

QTEST_MAIN(Form1WindowTest)
#include "form1_window_test.moc"
