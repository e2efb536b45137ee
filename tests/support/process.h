// Runs one of the programs as a real process and collects what it leaves.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace testing_support {

struct ProcessResult {
  int exitCode = -1;  // -1 when the process did not exit normally
  std::string out;
  std::string err;
};

namespace detail {

// In the child: standard output and error to the given descriptors, standard
// input from /dev/null, the extra environment, then the program.
[[noreturn]] inline void execWith(int out, int err, const std::string& program,
                                  const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& environment) {
  ::dup2(out, 1);
  ::dup2(err, 2);
  const int devnull = ::open("/dev/null", O_RDONLY);
  ::dup2(devnull, 0);
  for (const std::string& e : environment) ::putenv(const_cast<char*>(e.c_str()));
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  ::_exit(127);
}

// Reads both descriptors until each ends (a pseudo-terminal ends with an
// error once its other side is closed), then waits for the child.
inline void collect(int outFd, int errFd, pid_t pid, ProcessResult& result) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  while (open > 0 && ::poll(fds, 2, -1) > 0) {
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
}

}  // namespace detail

// Runs `program` with `arguments` in the current directory; `environment`
// entries ("NAME=value") are set in the child on top of the inherited ones.
inline ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                                const std::vector<std::string>& environment = {}) {
  int outPipe[2], errPipe[2];
  ProcessResult result;
  if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) return result;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    detail::execWith(outPipe[1], errPipe[1], program, arguments, environment);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  detail::collect(outPipe[0], errPipe[0], pid, result);
  return result;
}

// Starts `program` without waiting for it, its standard output and error
// going to the given descriptors (which the caller still owns and closes).
inline pid_t startProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, int out, int err) {
  const pid_t pid = ::fork();
  if (pid == 0) detail::execWith(out, err, program, arguments, environment);
  return pid;
}

// The exit code of a started process, -1 when a signal ended it.
inline int waitForExit(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The same, with standard output and standard error each on a terminal of
// its own, in raw mode so that the bytes arrive exactly as written.
inline ProcessResult runOnTerminals(const std::string& program, const std::vector<std::string>& arguments,
                                    const std::vector<std::string>& environment = {}) {
  int outMaster = -1, outSlave = -1, errMaster = -1, errSlave = -1;
  ProcessResult result;
  if (::openpty(&outMaster, &outSlave, nullptr, nullptr, nullptr) != 0 ||
      ::openpty(&errMaster, &errSlave, nullptr, nullptr, nullptr) != 0) {
    return result;
  }
  for (const int slave : {outSlave, errSlave}) {
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(outMaster);
    ::close(errMaster);
    detail::execWith(outSlave, errSlave, program, arguments, environment);
  }
  ::close(outSlave);
  ::close(errSlave);
  detail::collect(outMaster, errMaster, pid, result);
  return result;
}

}  // namespace testing_support
