// fenra's "setting.txt" reader on arbitrary file contents.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "edit_settings.h"

namespace {

const std::string& scratchFile() {
  static const std::string path = [] {
    char pattern[] = "/tmp/setting-fuzz-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd >= 0) ::close(fd);
    return std::string(pattern);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(scratchFile().c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  morvel::EditSettings settings;
  morvel::readSettingFile(scratchFile(), settings);
  if (settings.substituted.size() > 2 || settings.substitute.size() > 2) std::abort();
  if (settings.tableName.size() > 255 || settings.givenTableName.size() > 255) std::abort();
  return 0;
}
