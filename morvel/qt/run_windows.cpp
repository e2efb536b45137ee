#include "run_windows.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <memory>

#include "dialogs.h"
#include "display_text.h"
#include "form1_window.h"
#include "session_end.h"
#include "startup.h"

namespace morvel {

namespace {

// Qt lets no exception pass through its event loop: one that escapes a
// handler is shown here and ends the loop.
class MorvelApplication final : public QApplication {
 public:
  using QApplication::QApplication;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
      showFailure(failure.what());
    } catch (...) {
      showFailure("unknown exception");
    }
    return false;
  }

  static void showFailure(const char* what) {
    QMessageBox::critical(nullptr, QStringLiteral("Morvel VCL"), QString::fromLocal8Bit(what));
    QCoreApplication::quit();  // ends the event loop; the entry goes on
  }
};

constexpr const char* kTitle = "Morvel VCL";

}  // namespace

int runWindows(int& argc, char** argv, const FinalEffect& settings, Reporter& reporter) {
  SessionEnd sessionEnd;
  MorvelApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kTitle));
  QApplication::setQuitOnLastWindowClosed(false);  // the main window's close ends the loop
  try {
    const ProgramProfile profile = profileFor(settings);
    const DisplayText display = DisplayText::load({profile, reporter}, settings.no_searching);
    QApplication::setWindowIcon(morvelIcon());
    auto Form1 = std::make_unique<Form1Window>(settings, reporter, display);
    // The dialogs, created hidden: the Record dialog looks its character up at once.
    auto Form2 = std::make_unique<Form2Dialog>(Form1.get(), settings, reporter, display);
    auto Form3 = std::make_unique<Form3Dialog>(Form1.get(), profile, display);
    Form1->setDialogs(Form2.get(), Form3.get());
    Form1->show();
    sessionEnd.watch(Form1.get(), [&Form1] { Form1->logic().FormDestroy(); });
    QApplication::exec();
    sessionEnd.stop();
    Form3.reset();
    Form2.reset();
    Form1.reset();  // the hand-off
  } catch (const std::exception& failure) {
    sessionEnd.stop();
    MorvelApplication::showFailure(failure.what());
  }
  return 0;
}

}  // namespace morvel
