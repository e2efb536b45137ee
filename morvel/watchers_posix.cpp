#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "watchers.h"

namespace morvel {

namespace {

std::string linkTarget(const std::string& link) {
  std::string target(4096, '\0');
  const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return {};
  target.resize(static_cast<std::size_t>(length));
  return target;
}

}  // namespace

bool anotherMorvelWatchesHere() {
  namespace fs = std::filesystem;
  const std::string here = linkTarget("/proc/self/cwd");
  const std::string self = std::to_string(::getpid());
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
    const std::string pid = entry.path().filename().string();
    if (pid == self || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string program = linkTarget("/proc/" + pid + "/exe");
    if (const auto deleted = program.rfind(" (deleted)"); deleted != std::string::npos) program.resize(deleted);
    if (program.substr(program.rfind('/') + 1) == "Morvel" && linkTarget("/proc/" + pid + "/cwd") == here) {
      return true;
    }
  }
  return false;
}

}  // namespace morvel
