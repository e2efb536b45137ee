#include "windows_module.h"

#include "run_windows.h"

extern "C" __attribute__((visibility("default"))) int morvelRunWindows(int& argc, char** argv,
                                                                       const morvel::FinalEffect& settings,
                                                                       morvel::Reporter& reporter,
                                                                       morvel::EndRun endRun) {
  return morvel::runWindows(argc, argv, settings, reporter, endRun);
}

extern "C" __attribute__((visibility("default"))) const char* morvelWindowsStamp() { return morvel::kBuildStamp; }

namespace {
// The entries have the types the program expects.
[[maybe_unused]] constexpr morvel::WindowsEntry kEntry = morvelRunWindows;
[[maybe_unused]] constexpr morvel::WindowsStampEntry kStampEntry = morvelWindowsStamp;
}  // namespace
