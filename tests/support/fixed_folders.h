// Tables in the test build's fixed folders, which the programs search
// before anything else: a test that puts tables there sees every other run
// of the programs change, so such tests run alone (suites named
// "*Installed", tests/CMakeLists.txt).
#pragma once

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "support/table_records.h"
#include "support/temp_dir.h"

namespace testing_support {

// A fixed folder as the program names it, the way this process names it: a
// Windows build's "Z:\..." is Wine's name for "/...".
inline std::filesystem::path hostFolder(std::string folder) {
  if (folder.starts_with("Z:")) {
    folder.erase(0, 2);
    std::replace(folder.begin(), folder.end(), '\\', '/');
  }
  return folder;
}

// The shipped tables `names` in `folder` while it lives; afterwards the
// folder is as it was: made for the test, it is removed; otherwise what the
// test added to it is.
class InstalledTables {
 public:
  InstalledTables(const std::string& folder, std::initializer_list<const char*> names) : folder_(hostFolder(folder)) {
    made_ = !std::filesystem::exists(folder_);
    std::filesystem::create_directories(folder_);
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) before_.insert(entry.path());
    for (const char* name : names) writeBytes(folder_ / name, shippedBytes(name));
  }
  ~InstalledTables() {
    std::error_code ignored;
    if (made_) {
      std::filesystem::remove_all(folder_, ignored);
      return;
    }
    std::vector<std::filesystem::path> added;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, ignored)) {
      if (!before_.contains(entry.path())) added.push_back(entry.path());
    }
    for (const auto& path : added) std::filesystem::remove_all(path, ignored);
  }
  InstalledTables(const InstalledTables&) = delete;
  InstalledTables& operator=(const InstalledTables&) = delete;

  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  bool made_ = false;
  std::set<std::filesystem::path> before_;
};

// Runs `run` with `folder` as the current folder, then returns to the one before.
template <class Run>
auto inFolder(const std::filesystem::path& folder, Run run) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  auto result = run();
  std::filesystem::current_path(previous);
  return result;
}

}  // namespace testing_support
