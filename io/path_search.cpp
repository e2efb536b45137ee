#include "path_search.h"

#include <cstring>

#include "buffer_sizes.h"
#include "dividing.h"
#include "native_file.h"

namespace morvel {

namespace {

constexpr std::size_t kFoundPathLimit = kNameBufferSize - 1;

}  // namespace

bool canOpenForReading(const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  const int fd = openForReading(name);
  if (fd < 0) return false;
  const std::optional<FileStatus> info = statusOf(fd);
  releaseFile(fd);
  return info && info->type != FileType::directory;
}

std::string findInPath(std::string_view list, std::string_view fileName) {
  fileName = fileName.substr(0, kFoundPathLimit);
  Dividing splitter(kListSeparator);
  const std::int32_t n = splitter.buildPaths(list, fileName, kPathJoiner);
  for (std::int32_t k = 0; k < n; ++k) {
    const std::string& path = splitter.fieldTable()[static_cast<std::size_t>(k)];
    if (path.size() <= kFoundPathLimit && canOpenForReading(path)) return path;
  }
  return {};
}

CommandPath::CommandPath(std::size_t bufferSize) : CommandPath(pathVariable(), bufferSize) {}

CommandPath::CommandPath(std::string_view value, std::size_t bufferSize)
    : text_(value.substr(0, bufferSize > 0 ? bufferSize - 1 : 0)) {}

}  // namespace morvel
