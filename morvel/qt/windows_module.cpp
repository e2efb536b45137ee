#include "windows_module.h"

#include "run_windows.h"

extern "C" __attribute__((visibility("default"))) int morvelRunWindows(int& argc, char** argv,
                                                                       const morvel::FinalEffect& settings,
                                                                       morvel::Reporter& reporter) {
  return morvel::runWindows(argc, argv, settings, reporter);
}

namespace {
// The entry has the type the program expects.
[[maybe_unused]] constexpr morvel::WindowsEntry kEntry = morvelRunWindows;
}  // namespace
