// Morvel: watches "VEL" and hands its text back converted; edits the EUC-JP
// table or converts a named file from the command line.
#include <dlfcn.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "file_replace.h"
#include "reporter.h"
#include "startup.h"
#include "windows_module.h"

namespace {

// The folder of the running program, with its trailing separator; empty
// when the system does not say.
std::string programFolder() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1);
}

// Loads the windows from the module beside the program (a build) or in the
// installed module folder, and runs them.
int runWindowsModule(int& argc, char** argv, const morvel::FinalEffect& settings, morvel::Reporter& reporter) {
  std::string module = programFolder() + morvel::kWindowsModule;
  if (::access(module.c_str(), R_OK) != 0) module = std::string(MORVEL_MODULE_FOLDER) + morvel::kWindowsModule;
  void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* entry = handle != nullptr ? ::dlsym(handle, morvel::kWindowsEntry) : nullptr;
  if (entry == nullptr) {
    const char* why = ::dlerror();
    reporter.error("cannot load the windows: " + std::string(why != nullptr ? why : module));
    return 1;
  }
  return reinterpret_cast<morvel::WindowsEntry>(entry)(argc, argv, settings, reporter);
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
    return runWindowsModule(argc, argv, settings, reports);
  });
}
