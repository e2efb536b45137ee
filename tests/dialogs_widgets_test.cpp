// The Record and Version dialogs on Qt, driven through their widgets on the
// offscreen platform, opened as the main window opens them.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <string>

#include "dialogs.h"
#include "display_text.h"
#include "form1_window.h"
#include "options.h"
#include "reporter.h"
#include "support/table_records.h"
#include "version.h"

using namespace morvel;

namespace {

// Writes the report files as the program does, counting the errors.
class Reports final : public Reporter {
 public:
  void error(std::string_view line) override {
    ++errors;
    files_.error(line);
  }
  void message(std::string_view subject, std::string_view note) override { files_.message(subject, note); }
  void info(std::string_view line) override { files_.info(line); }
  void note(std::string_view sentence) override { files_.note(sentence); }
  int errors = 0;

 private:
  ReportFiles files_;
};

const char* const kEuc = "MS932~EUC-JP.bin";
const char* const kSjis = "MS932~Shift_JIS.bin";
const QString kCircledOne = QStringLiteral("\u2460");
const QString kFullWidthOne = QStringLiteral("\uFF11");
const QString kCircledTwenty = QStringLiteral("\u2473");

QByteArray readBytes(const char* name) {
  QFile file(QString::fromLatin1(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// The EUC-JP bytes a table file gives a Shift_JIS code: its records are the
// code and its target, two bytes each.
QByteArray eucTargetOf(const QByteArray& table, const QByteArray& code) {
  const std::string bytes = table.toStdString();
  return QByteArray::fromStdString(
      testing_support::targetOf(bytes, testing_support::doubleByteRecord(bytes, code.toStdString())));
}

// QTest::keyClicks passes each character through toLatin1, which drops
// Japanese: each character goes as a key carrying its text instead.
void type(QWidget* widget, const QString& text) {
  for (qsizetype at = 0; at < text.size();) {
    const qsizetype length = text.at(at).isHighSurrogate() ? 2 : 1;
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(at, length), Qt::NoModifier);
    at += length;
  }
}

// Replaces the whole text of an edit as a user would.
void retype(QLineEdit* edit, const QString& text) {
  QTest::mouseClick(edit, Qt::LeftButton);
  edit->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(edit, Qt::Key_Backspace);
  } else {
    type(edit, text);
  }
}

}  // namespace

class DialogsWidgetsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();

  void recordStartsHiddenCentredShowingTheCircledTwenty();
  void recordOpensBesideTheMainWindowWithTheFocusOnSave();
  void homeLooksUpWhatWasTyped();
  void aHomeReleasedInAnEditCountsOnce();
  void saveRecordsTheTypedPairAndF8CopiesIt();
  void saveShowsTheNoteBesideTheDialog();
  void recordKeepsTheCodesItShowsAndReturnPressesSave();
  void escHidesAndShowingAgainKeepsTheTexts();
  void versionShowsModallyFromTheHelpMenu();
  void versionHelpWithoutAViewerNamesTheManual();

 private:
  void open(const FinalEffect& settings = {});
  bool openRecord();
  template <class Control>
  Control* in(QWidget* dialog, const char* name) const {
    return dialog->findChild<Control*>(QString::fromLatin1(name));
  }
  QLineEdit* edit(const char* name) const { return in<QLineEdit>(record_, name); }
  QString label1() const { return in<QLabel>(record_, "Label1")->text(); }
  QPushButton* save() const { return in<QPushButton>(record_, "Button1"); }
  void trigger(const char* action) const { window_->findChild<QAction*>(QString::fromLatin1(action))->trigger(); }
  QRect centred(int width, int height) const {
    const QRect screen = window_->screen()->geometry();
    return {(screen.width() - width) / 2, (screen.height() - height) / 2, width, height};
  }

  QString previous_;
  std::unique_ptr<QTemporaryDir> dir_;
  Reports reports_;
  std::unique_ptr<DisplayText> display_;
  std::unique_ptr<Form1Window> window_;
  Form2Dialog* record_ = nullptr;  // the window's children
  Form3Dialog* version_ = nullptr;
};

void DialogsWidgetsTest::init() {
  previous_ = QDir::currentPath();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  QVERIFY(QDir::setCurrent(dir_->path()));
  for (const char* name : {kEuc, "MS932~UTF-8.bin", kSjis}) {
    QVERIFY(QFile::copy(QStringLiteral(MORVEL_DATA_DIR "/") + QString::fromLatin1(name), QString::fromLatin1(name)));
  }
  reports_ = Reports();
}

void DialogsWidgetsTest::cleanup() {
  window_.reset();
  display_.reset();
  QDir::setCurrent(previous_);
  dir_.reset();
}

// The windows as the program creates them: the dialogs hidden.
void DialogsWidgetsTest::open(const FinalEffect& settings) {
  display_ = std::make_unique<DisplayText>();
  window_ = std::make_unique<Form1Window>(settings, reports_, *display_);
  record_ = window_->recordDialog();
  version_ = window_->versionDialog();
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  window_->memo()->setFocus();
}

// A dialog counts as active while its parent is, so the wait is for the
// application's active window.
bool DialogsWidgetsTest::openRecord() {
  trigger("Record1");
  return QTest::qWaitFor([this] { return QApplication::activeWindow() == record_; });
}

void DialogsWidgetsTest::recordStartsHiddenCentredShowingTheCircledTwenty() {
  open();
  QVERIFY(!record_->isVisible());
  QCOMPARE(edit("Edit1")->text(), kCircledTwenty);
  QCOMPARE(label1(), QStringLiteral("8753"));
  QCOMPARE(edit("Edit2")->text(), kCircledTwenty);  // the Shift_JIS table keeps it
  QVERIFY(openRecord());
  QCOMPARE(record_->frameGeometry(), centred(143, 142));
}

void DialogsWidgetsTest::recordOpensBesideTheMainWindowWithTheFocusOnSave() {
  open();
  QVERIFY(openRecord());
  QVERIFY(record_->isVisible());
  QVERIFY(!record_->isModal());
  QCOMPARE(QApplication::focusWidget(), save());
  QTest::keyClick(window_->windowHandle(), Qt::Key_End);  // through the window system, as a user's key
  QCOMPARE(window_->findChild<QLabel*>(QStringLiteral("StatusPanel0"))->text(), QStringLiteral("EUC-JP"));
}

void DialogsWidgetsTest::homeLooksUpWhatWasTyped() {
  open();
  QVERIFY(openRecord());
  QLineEdit* edit1 = edit("Edit1");
  retype(edit1, kCircledOne);
  QCOMPARE(edit1->text(), kCircledOne);
  QTest::keyClick(edit1, Qt::Key_Home);
  QCOMPARE(label1(), QStringLiteral("8740"));
  QCOMPARE(edit("Edit2")->text(), kCircledOne);
  retype(edit1, QStringLiteral("\U0001F600"));  // an emoji: code page 932 has none
  QTest::keyClick(edit1, Qt::Key_Home);
  QCOMPARE(label1(), QStringLiteral("not 932"));
  QCOMPARE(edit("Edit2")->text(), kCircledOne);
  retype(edit1, QString());
  QTest::keyClick(edit1, Qt::Key_Home);
  QCOMPARE(label1(), QStringLiteral("----"));
}

// With an unreadable table each lookup writes one error, so the errors
// count the lookups.
void DialogsWidgetsTest::aHomeReleasedInAnEditCountsOnce() {
  open();
  QVERIFY(openRecord());
  QCOMPARE(reports_.errors, 0);
  QFile table(QString::fromLatin1(kSjis));
  QVERIFY(table.open(QIODevice::WriteOnly | QIODevice::Truncate));
  table.close();
  QTest::keyClick(edit("Edit1"), Qt::Key_Home);
  QCOMPARE(reports_.errors, 1);
  QCOMPARE(readBytes("error.txt"),
           QByteArray("testKanji() error: sjis->setting(no_searching, finalEffect->whichFile() ) \r\n"));
  QCOMPARE(label1(), QStringLiteral("8753"));
}

void DialogsWidgetsTest::saveRecordsTheTypedPairAndF8CopiesIt() {
  open();
  QVERIFY(openRecord());
  retype(edit("Edit1"), kCircledOne);
  retype(edit("Edit2"), kFullWidthOne);
  QTest::mouseClick(save(), Qt::LeftButton);
  const QString line = QStringLiteral("8740 \u21D2 8250");
  QCOMPARE(label1(), line);
  QCOMPARE(readBytes("info.txt"), QByteArray("8740 \x81\xCB 8250\r\n"));
  QCOMPARE(eucTargetOf(readBytes(kEuc), QByteArray("\x87\x40")), QByteArray("\xA3\xB1"));
  QVERIFY(record_->findChild<QMessageBox*>(QStringLiteral("EditNote")) == nullptr);  // the table read was edited

  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(QStringLiteral("probe"));
  if (clipboard->text() != QStringLiteral("probe")) QSKIP("the platform keeps no clipboard text");
  QTest::keyClick(save(), Qt::Key_F8);
  QCOMPARE(clipboard->text(), line);
}

// Written under another name, the edit stands behind the table of the
// current folder: the note says so beside the dialog, which goes on.
void DialogsWidgetsTest::saveShowsTheNoteBesideTheDialog() {
  FinalEffect settings;
  settings.tableName = "edited.bin";
  open(settings);
  QVERIFY(openRecord());
  QTest::mouseClick(save(), Qt::LeftButton);
  const QByteArray note =
      "edited.bin was edited, but conversions from this folder load MS932~EUC-JP.bin, which is searched first, so the "
      "edit is not used and the next edit starts again from that table. To use it, copy edited.bin over "
      "MS932~EUC-JP.bin.";
  auto* box = record_->findChild<QMessageBox*>(QStringLiteral("EditNote"));
  QVERIFY(box != nullptr);
  QVERIFY(box->isVisible());
  QVERIFY(!box->isModal());
  QCOMPARE(box->text(), QString::fromLatin1(note));
  QCOMPARE(readBytes("messages.txt"), note + "\r\n");
  QCOMPARE(label1(), QStringLiteral("8753 \u21D2 8753"));  // the code pair stays
  QTest::mouseClick(save(), Qt::LeftButton);
  QCOMPARE(record_->findChildren<QMessageBox*>(QStringLiteral("EditNote")).size(), 1);  // one note, shown again
}

// Several codes show as one character: what was given keeps its code while
// it stands; a typed character takes the code Windows gives it, as the
// Shift_JIS text of a Windows program holds it.
void DialogsWidgetsTest::recordKeepsTheCodesItShowsAndReturnPressesSave() {
  FinalEffect settings;
  settings.substituted = "\x87\x90";  // the NEC row-13 approximately-equal sign
  open(settings);
  QVERIFY(openRecord());
  QCOMPARE(label1(), QStringLiteral("8790"));
  retype(edit("Edit2"), kFullWidthOne);
  save()->setFocus();
  QTest::keyClick(save(), Qt::Key_Return);
  QCOMPARE(readBytes("info.txt"), QByteArray("8790 \x81\xCB 8250\r\n"));
  QCOMPARE(eucTargetOf(readBytes(kEuc), QByteArray("\x87\x90")), QByteArray("\xA3\xB1"));

  record_->setText("Edit1", "\xED\x40");  // an NEC-selected IBM kanji
  QTest::keyClick(edit("Edit1"), Qt::Key_Home);
  QCOMPARE(label1(), QStringLiteral("ed40"));
  retype(edit("Edit2"), kFullWidthOne);
  save()->setFocus();
  QTest::keyClick(save(), Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(readBytes("info.txt"), QByteArray("ED40 \x81\xCB 8250\r\n"));

  retype(edit("Edit1"), QStringLiteral("\u2252"));  // typed: 81E0 comes first
  QTest::keyClick(edit("Edit1"), Qt::Key_Home);
  QCOMPARE(label1(), QStringLiteral("81e0"));
  retype(edit("Edit1"), QStringLiteral("\u9AD9"));  // the IBM FBFC, not the NEC-selected EEE0
  QTest::keyClick(edit("Edit1"), Qt::Key_Home);
  QCOMPARE(label1(), QStringLiteral("fbfc"));
  retype(edit("Edit2"), QStringLiteral("\u2170"));  // small roman one: FA40, not EEEF
  save()->setFocus();
  QTest::keyClick(save(), Qt::Key_Return);
  QCOMPARE(readBytes("info.txt"), QByteArray("FBFC \x81\xCB FA40\r\n"));
}

void DialogsWidgetsTest::escHidesAndShowingAgainKeepsTheTexts() {
  open();
  QVERIFY(openRecord());
  retype(edit("Edit1"), kCircledOne);
  QTest::keyClick(edit("Edit1"), Qt::Key_Escape);
  QVERIFY(!record_->isVisible());
  QVERIFY(openRecord());
  QCOMPARE(edit("Edit1")->text(), kCircledOne);
  QCOMPARE(label1(), QStringLiteral("8753"));  // no lookup on showing
  QCOMPARE(edit("Edit2")->text(), kCircledTwenty);
}

void DialogsWidgetsTest::versionShowsModallyFromTheHelpMenu() {
  open();
  QCOMPARE(in<QLabel>(version_, "Label3")->text(), QStringLiteral("Version 1.0"));
  bool modal = false;
  QRect frame;
  QStringList labels;
  bool closedByEsc = false;
  bool fits = true;
  QTimer::singleShot(0, version_, [&] {
    modal = QApplication::activeModalWidget() == version_ && version_->isVisible();
    frame = version_->frameGeometry();
    for (const char* name : {"Label1", "Label2", "Label3"}) {
      const QLabel* label = in<QLabel>(version_, name);
      labels << label->text();
      const QFontMetrics metrics(label->font());  // the whole text shows
      fits = fits && metrics.horizontalAdvance(label->text()) <= label->width() && metrics.height() <= label->height();
    }
    QTest::keyClick(version_, Qt::Key_Escape);
    closedByEsc = !version_->isVisible();
    if (!closedByEsc) version_->reject();
  });
  trigger("Version1");  // returns once the dialog is closed
  QVERIFY(modal);
  QCOMPARE(frame, centred(166, 166));
  QCOMPARE(labels, (QStringList{QStringLiteral("Morvel VCL"), QString::fromLatin1(kCopyrightLine),
                                QStringLiteral("Version ") + QString::fromLatin1(kMorvelVersion)}));
  QVERIFY(closedByEsc);
  QVERIFY(fits);
  QVERIFY(window_->isVisible());
}

// Without a program for PDF files (the offscreen platform has none) or
// without the manual, a message box names the manual.
void DialogsWidgetsTest::versionHelpWithoutAViewerNamesTheManual() {
  open();
  const QPixmap picture = in<QLabel>(version_, "Image1")->pixmap();
  QVERIFY(!picture.isNull());
  QCOMPARE(picture.size(), QSize(160, 32));
  version_->show();
  QVERIFY(QTest::qWaitForWindowExposed(version_));
  const QString manual = QDir::current().absoluteFilePath(QStringLiteral("MorvelVCL.pdf"));
  for (const bool present : {false, true}) {
    if (present) {
      QFile file(manual);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("%PDF");
      file.close();
      QTest::ignoreMessage(
          QtWarningMsg,
          qPrintable(QStringLiteral("This plugin does not support QPlatformServices::openDocument() for '%1'.")
                         .arg(QUrl::fromLocalFile(manual).toString())));
    }
    QTest::mouseClick(in<QPushButton>(version_, "Button1"), Qt::LeftButton);
    auto* box = version_->findChild<QMessageBox*>(QStringLiteral("ManualNotShown"));
    QVERIFY(box != nullptr);
    QVERIFY(box->isVisible());
    QVERIFY2(box->text().contains(manual), qPrintable(box->text()));
    box->close();
    QTRY_VERIFY(version_->findChild<QMessageBox*>(QStringLiteral("ManualNotShown")) == nullptr);
  }
  QVERIFY(version_->isVisible());
  QVERIFY(!QFile::exists(QStringLiteral("error.txt")));
}

QTEST_MAIN(DialogsWidgetsTest)
#include "dialogs_widgets_test.moc"
