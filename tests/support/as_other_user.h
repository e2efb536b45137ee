// Runs a check where file permissions bind: as the user "nobody" in a child
// process when the tests run as root (root may write any file), otherwise
// in this process.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testing_support {

// The check's result; false too when the child cannot become "nobody".
inline bool whereModesBind(const std::function<bool()>& check) {
  if (::geteuid() != 0) return check();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const gid_t nogroup = 65534;
    const uid_t nobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(nogroup) != 0 || ::setuid(nobody) != 0) ::_exit(2);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace testing_support
