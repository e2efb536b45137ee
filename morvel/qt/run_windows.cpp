// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "run_windows.h"

#include <QApplication>
#include <QMessageBox>
#include <QtGlobal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "display_text.h"
#include "form1_window.h"
#include "session_end.h"
#include "widget_support.h"

namespace morvel {

namespace {

// Qt lets no exception pass through its event loop. The window's handlers
// report their own; one that escapes elsewhere is reported here too
// ("error.txt" and a message box) and the window runs on, its collected
// lines with it.
class MorvelApplication final : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
      reportFailure(failure.what());
    } catch (...) {
      reportFailure("unknown exception");
    }
    return false;
  }

  void reportTo(Reporter* reporter) { reporter_ = reporter; }

  void reportFailure(const char* what) noexcept {
    try {
      if (reporter_ != nullptr) reporter_->error(std::string("Morvel error: ") + what);
      showFailure(what);
    } catch (...) {  // nothing more can be said
    }
  }

  static void showFailure(const char* what) {
    QMessageBox::critical(nullptr, QString::fromLatin1(kProductLabel), QString::fromLocal8Bit(what));
  }

 private:
  Reporter* reporter_ = nullptr;
};

Reporter* fatalReporter = nullptr;
void (*fatalEnd)(int code) = nullptr;
QtMessageHandler toolkitHandler = nullptr;
QString platformTrouble;  // the platform's first complaint, which names the cause

// The toolkit's fatal message would abort the run with no line in
// "error.txt"; it is a window that cannot be built like any other.
void onToolkitMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg || fatalReporter == nullptr || fatalEnd == nullptr) {
    const bool platform = context.category != nullptr && std::string_view(context.category).starts_with("qt.qpa");
    if (platform && type != QtDebugMsg && type != QtInfoMsg && platformTrouble.isEmpty()) platformTrouble = text;
    if (toolkitHandler != nullptr) toolkitHandler(type, context, text);
    return;
  }
  std::fputs((qFormatLogMessage(type, context, text) + '\n').toLocal8Bit().constData(), stderr);
  const QString cause = platformTrouble.isEmpty() ? text : platformTrouble;
  try {
    fatalReporter->error("Morvel error: the windows cannot be built: " +
                         cause.section('\n', 0, 0).trimmed().toLocal8Bit().toStdString());
  } catch (...) {  // the run ends all the same
  }
  fatalEnd(1);
}

}  // namespace

int runWindows(int& argc, char** argv, const FinalEffect& settings, Reporter& reporter, void (*endRun)(int code)) {
  fatalReporter = &reporter;
  fatalEnd = endRun;
  toolkitHandler = qInstallMessageHandler(onToolkitMessage);
  SessionEnd sessionEnd;
  MorvelApplication application(argc, argv);
  application.reportTo(&reporter);
  QApplication::setApplicationName(QString::fromLatin1(kProductLabel));
  QApplication::setQuitOnLastWindowClosed(false);  // the main window's close ends the loop
  try {
    const DisplayText display{};
    QApplication::setWindowIcon(morvelIcon());
    // The main window owns its dialogs.
    auto Form1 = std::make_unique<Form1Window>(settings, reporter, display);
    Form1->show();
    sessionEnd.watch(Form1.get(), [&Form1] { Form1->logic().FormClose(LockWait::untilFree); });
    QApplication::exec();
    sessionEnd.stop();
    Form1.reset();  // the hand-off ran as it closed
  } catch (const std::exception& failure) {
    // The windows could not be built (or taken down): a failed run.
    sessionEnd.stop();
    reporter.error(std::string("Morvel error: ") + failure.what());
    MorvelApplication::showFailure(failure.what());
    return 1;
  }
  return 0;
}

}  // namespace morvel
