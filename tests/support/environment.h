// Setting and removing environment variables in tests, on every platform.
#pragma once

#include <cstdlib>
#include <string>

namespace testing_support {

inline void setEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
  ::_putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

// On Windows an empty value removes the variable.
inline void unsetEnvironment(const char* name) {
#ifdef _WIN32
  ::_putenv_s(name, "");
#else
  ::unsetenv(name);
#endif
}

}  // namespace testing_support
