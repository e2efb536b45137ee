// A fresh temporary directory that tests work in; the previous working
// directory comes back and the directory is removed at the end.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace testing_support {

class TempDir {
 public:
  TempDir() : previous_(std::filesystem::current_path()) {
#ifdef _WIN32
    // No mkdtemp: a name that no other directory has yet.
    auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    do {
      path_ = std::filesystem::temp_directory_path() / ("morvel-test-" + std::to_string(seed++ % 1000000007));
    } while (!std::filesystem::create_directory(path_));
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "morvel-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
#endif
    std::filesystem::current_path(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testing_support
