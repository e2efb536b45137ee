// Fixed texts: the quoted lines here are the design's own; see
// docs/design-names.md before changing one.
#include "windows_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "morvel_texts.h"
#include "startup.h"
#include "windows_module.h"

namespace morvel {

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

}  // namespace

bool displayChosen(Reporter& reporter) {
  const DisplayChoice choice =
      chooseDisplay(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
  if (!choice.available) {
    reporter.error(kNoDisplayLine);
    return false;
  }
  if (choice.platform != nullptr) ::setenv("QT_QPA_PLATFORM", choice.platform, 1);
  return true;
}

// The program runs only the module built with it: one of another build
// could misread the settings it is given.
int runWindowsModule(int& argc, char** argv, const FinalEffect& settings, Reporter& reporter,
                     void (*endRun)(int code)) {
  const std::string program = programPath();
  const std::string beside = programFolder() + kWindowsModule;
  const std::string installed = std::string(MORVEL_MODULE_FOLDER) + kWindowsModule;
  const std::string module = ::access(beside.c_str(), F_OK) == 0 ? beside : installed;
  if (::access(module.c_str(), F_OK) != 0) {
    reporter.error("cannot load the windows: " + beside + " is missing, and so is " + installed);
    return 1;
  }
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* stamp = handle != nullptr ? ::dlsym(handle, kWindowsStampEntry) : nullptr;
  const char* built = stamp != nullptr ? reinterpret_cast<WindowsStampEntry>(stamp)() : "none";
  if (handle != nullptr && std::string_view(built) != kBuildStamp) {
    reporter.error("cannot load the windows: " + module + " (build " + built + ") was not built with " + program +
                   " (build " + kBuildStamp + ")");
    return 1;
  }
  void* entry = handle != nullptr ? ::dlsym(handle, kWindowsEntry) : nullptr;
  if (entry == nullptr) {
    const char* why = ::dlerror();
    reporter.error("cannot load the windows: " + std::string(why != nullptr ? why : module));
    return 1;
  }
  windowsRunning = true;
  const int code = reinterpret_cast<WindowsEntry>(entry)(argc, argv, settings, reporter, endRun);
  windowsRunning = false;
  return code;
}

bool windowsModuleRunning() { return windowsRunning; }

}  // namespace morvel
