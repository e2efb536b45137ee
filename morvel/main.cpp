// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
// Morvel: watches "VEL" and hands its text back converted; edits the EUC-JP
// table or converts a named file from the command line.
#include <dlfcn.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <string_view>

#include "file_replace.h"
#include "reporter.h"
#include "startup.h"
#include "windows_module.h"

namespace {

// The path of the running program; empty when the system does not say.
std::string programPath() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(length));
  return path;
}

// Its folder, with the trailing separator.
std::string programFolder() {
  const std::string path = programPath();
  return path.substr(0, path.rfind('/') + 1);
}

bool windowsRunning = false;

// For the windows, where the toolkit gives up: the run ends here, with
// what was reported already in its files.
void endRunNow(int code) { ::_exit(code); }

// The toolkit ends the process itself when the display goes away under the
// window; the windows have closed as their close box does by then (their
// own handler ran first), so the run ends as after a close.
extern "C" void endWhileWindowsRun() {
  if (windowsRunning) ::_exit(0);
}

// The windows module beside the program (a build), else the installed one.
// The program runs only the module built with it: one of another build
// could misread the settings it is given.
int runWindowsModule(int& argc, char** argv, const morvel::FinalEffect& settings, morvel::Reporter& reporter) {
  const std::string program = programPath();
  const std::string beside = programFolder() + morvel::kWindowsModule;
  const std::string installed = std::string(MORVEL_MODULE_FOLDER) + morvel::kWindowsModule;
  const std::string module = ::access(beside.c_str(), F_OK) == 0 ? beside : installed;
  if (::access(module.c_str(), F_OK) != 0) {
    reporter.error("cannot load the windows: " + beside + " is missing, and so is " + installed);
    return 1;
  }
  std::atexit(endWhileWindowsRun);  // before the module's own handlers, so it runs after them
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* stamp = handle != nullptr ? ::dlsym(handle, morvel::kWindowsStampEntry) : nullptr;
  const char* built = stamp != nullptr ? reinterpret_cast<morvel::WindowsStampEntry>(stamp)() : "none";
  if (handle != nullptr && std::string_view(built) != morvel::kBuildStamp) {
    reporter.error("cannot load the windows: " + module + " (build " + built + ") was not built with " + program +
                   " (build " + morvel::kBuildStamp + ")");
    return 1;
  }
  void* entry = handle != nullptr ? ::dlsym(handle, morvel::kWindowsEntry) : nullptr;
  if (entry == nullptr) {
    const char* why = ::dlerror();
    reporter.error("cannot load the windows: " + std::string(why != nullptr ? why : module));
    return 1;
  }
  windowsRunning = true;
  const int code = reinterpret_cast<morvel::WindowsEntry>(entry)(argc, argv, settings, reporter, endRunNow);
  windowsRunning = false;
  return code;
}

// Checked before the toolkit loads, which would abort without a display.
bool displayChosen(morvel::Reporter& reporter) {
  const morvel::DisplayChoice choice =
      morvel::chooseDisplay(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
  if (!choice.available) {
    reporter.error(morvel::kNoDisplayLine);
    return false;
  }
  if (choice.platform != nullptr) ::setenv("QT_QPA_PLATFORM", choice.platform, 1);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails the write, reported, instead of killing the run
#endif
  // An interrupted run leaves no temporary file behind.
  morvel::removeTemporariesOnSignals();
  morvel::ReportFiles reports;  // Morvel has no console
  return morvel::runMorvel(argc, argv, reports, [&argc, argv, &reports](const morvel::FinalEffect& settings) {
    if (!displayChosen(reports)) return 1;
    return runWindowsModule(argc, argv, settings, reports);
  });
}
