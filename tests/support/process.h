// Runs one of the programs as a real process and collects what it leaves.
#pragma once

#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace testing_support {

struct ProcessResult {
  int exitCode = -1;  // -1 when the process did not exit normally
  std::string out;
  std::string err;
};

namespace detail {

// What a Windows program is given under Wine: its words as UTF-8 (those in
// code page 932 converted first), read by Wine in a UTF-8 locale, so that
// the program sees the characters the test means.
inline std::string wineWord(const std::string& word) {
  const auto validUtf8 = [](const std::string& text) {
    iconv_t check = ::iconv_open("UTF-8", "UTF-8");
    std::string copy = text, out(text.size() * 2 + 4, '\0');
    char* in = copy.data();
    char* to = out.data();
    std::size_t inLeft = copy.size(), outLeft = out.size();
    const bool valid = ::iconv(check, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv_close(check);
    return valid;
  };
  if (validUtf8(word)) return word;
  iconv_t convert = ::iconv_open("UTF-8", "CP932");
  std::string copy = word, out(word.size() * 3 + 4, '\0');
  char* in = copy.data();
  char* to = out.data();
  std::size_t inLeft = copy.size(), outLeft = out.size();
  const bool converted = ::iconv(convert, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1);
  ::iconv_close(convert);
  if (!converted) return word;
  out.resize(out.size() - outLeft);
  return out;
}

// A folder list as Windows writes it: "Z:" before each absolute folder
// (Wine's drive for /), '\' for '/', ';' between folders.
inline std::string windowsFolderList(const std::string& list) {
  std::string windows;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    std::string folder = list.substr(start, end - start);
    for (char& c : folder) c = c == '/' ? '\\' : c;
    if (!windows.empty()) windows += ';';
    windows += (!folder.empty() && folder[0] == '\\' ? "Z:" : "") + wineWord(folder);
    start = end + 1;
  }
  return windows;
}

struct Command {
  std::string program;
  std::vector<std::string> arguments;
  std::vector<std::string> environment;
};

// A program whose name ends in ".exe" runs under Wine (the test's
// WINEPREFIX, WINEDEBUG=-all); the folders of a PATH the test gives go to
// the program's Path through WINEPATH, Wine itself keeping its own.
inline Command commandFor(const std::string& program, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment) {
  if (!program.ends_with(".exe")) return {program, arguments, environment};
  Command command{"/usr/bin/wine", {program}, {}};
  for (const std::string& a : arguments) command.arguments.push_back(wineWord(a));
  for (const std::string& e : environment) {
    if (e.starts_with("PATH=")) {
      const std::string list = e.substr(5);
      command.environment.push_back("WINEPATH=" + (list.empty() ? std::string() : windowsFolderList(list)));
    } else if (!e.starts_with("LD_PRELOAD=")) {
      command.environment.push_back(e);
    }
  }
  command.environment.push_back("LC_ALL=C.UTF-8");
  command.environment.push_back("WINEDEBUG=-all");
  return command;
}

// In the child: standard output and error to the given descriptors, standard
// input from /dev/null, the extra environment, then the program.
[[noreturn]] inline void execWith(int out, int err, const Command& command) {
  const std::string& program = command.program;
  const std::vector<std::string>& arguments = command.arguments;
  const std::vector<std::string>& environment = command.environment;
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

[[noreturn]] inline void execWith(int out, int err, const std::string& program,
                                  const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& environment) {
  execWith(out, err, commandFor(program, arguments, environment));
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
// Standard output and error as the program wrote them.
inline ProcessResult runProcessExactly(const std::string& program, const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& environment = {}) {
  int outPipe[2], errPipe[2];
  ProcessResult result;
  if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) return result;
  const detail::Command command = detail::commandFor(program, arguments, environment);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    detail::execWith(outPipe[1], errPipe[1], command);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  detail::collect(outPipe[0], errPipe[0], pid, result);
  return result;
}

// Text a Windows program wrote to a pipe, whose lines end with CR LF, as
// the Linux program's lines end: each CR LF becomes LF. A line end without
// its CR is marked, so that comparing with the Linux text fails.
inline std::string linuxLineEnds(const std::string& windowsText) {
  std::string text;
  for (std::size_t at = 0; at < windowsText.size(); ++at) {
    if (windowsText[at] == '\r' && at + 1 < windowsText.size() && windowsText[at + 1] == '\n') continue;
    if (windowsText[at] == '\n' && (at == 0 || windowsText[at - 1] != '\r')) text += "<LF without CR>";
    text += windowsText[at];
  }
  return text;
}

// The same; for a Windows program (".exe") with its CR LF line ends made
// LF (linuxLineEnds), so that the expectations of both systems are one.
inline ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                                const std::vector<std::string>& environment = {}) {
  ProcessResult result = runProcessExactly(program, arguments, environment);
  if (program.ends_with(".exe")) {
    result.out = linuxLineEnds(result.out);
    result.err = linuxLineEnds(result.err);
  }
  return result;
}

// Starts `program` without waiting for it, its standard output and error
// going to the given descriptors (which the caller still owns and closes).
inline pid_t startProcess(const std::string& program, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment, int out, int err) {
  const detail::Command command = detail::commandFor(program, arguments, environment);
  const pid_t pid = ::fork();
  if (pid == 0) detail::execWith(out, err, command);
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
  const detail::Command command = detail::commandFor(program, arguments, environment);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(outMaster);
    ::close(errMaster);
    detail::execWith(outSlave, errSlave, command);
  }
  ::close(outSlave);
  ::close(errSlave);
  detail::collect(outMaster, errMaster, pid, result);
  return result;
}

}  // namespace testing_support
