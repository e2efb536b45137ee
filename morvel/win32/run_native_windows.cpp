#include "run_native_windows.h"

#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "dialog_windows.h"
#include "display_text.h"
#include "key_preview.h"
#include "main_window.h"
#include "options.h"
#include "utf16.h"
#include "wide_text.h"

namespace morvel {

namespace {

void showFailureBox(const char* what) {
  MessageBoxW(nullptr, utf16OfUtf8(what).value_or(L"\uFFFD").c_str(), shownName(kProductLabel).c_str(),
              MB_OK | MB_ICONERROR);
}

}  // namespace

int runWindows(int& /*argc*/, char** /*argv*/, const FinalEffect& settings, Reporter& reporter) {
  try {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const ProgramProfile profile = profileFor(settings);
    const DisplayText display{};
    auto Form1 = std::make_unique<MainWindow>(instance, settings, reporter, display);
    // The dialogs, created hidden: the Record dialog looks its character up at once.
    auto Form2 = std::make_unique<RecordDialog>(Form1->handle(), settings, reporter, display);
    auto Form3 = std::make_unique<VersionDialog>(Form1->handle(), profile, display);
    Form1->setDialogs(Form2.get(), Form3.get());
    Form1->show();
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatchMessage(message);
    // The windows, shown or not, go with the process, which takes them down
    // at once. Destroyed one by one, each shown one would be hidden first,
    // and Wine then waits up to 2 s for the window manager to confirm it,
    // for nothing where there is none.
    Form3->keepUntilExit();
    Form2->keepUntilExit();
    Form1->keepUntilExit();
    Form3.reset();
    Form2.reset();
    Form1.reset();  // the hand-off ran as it closed
  } catch (const std::exception& failure) {
    // The windows could not be built (or taken down): a failed run.
    reporter.error(std::string("Morvel error: ") + failure.what());
    showFailureBox(failure.what());
    return 1;
  }
  return 0;
}

}  // namespace morvel
