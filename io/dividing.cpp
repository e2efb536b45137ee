#include "dividing.h"

#include <new>

#include "native_file.h"
#include "out_of_memory.h"

namespace morvel {

namespace {

constexpr char kQuote = '"';
constexpr std::size_t kFoundPathLimit = kNameBufferSize - 1;

[[noreturn]] void allocationFailed(std::string_view what, std::size_t bytes) {
  throw OutOfMemory(std::string(what) + " " + std::to_string(bytes) + " bytes");
}

[[noreturn]] void splitBufferFailed() {
  throw OutOfMemory("new char[] error-1: buffer_size = " + std::to_string(kLineBufferSize) + "( phase = 1 )");
}

}  // namespace

Dividing::Dividing(char separator) : separator_(separator) {}

std::int32_t Dividing::splitFields(std::string_view text) {
  text = text.substr(0, kLineBufferSize - 1);
  text = text.substr(0, text.find_first_of(std::string_view("\n\0", 2)));
  fields_.clear();
  try {
    std::string field;
    bool quoted = false;
    for (char c : text) {
      if (!quoted && c == separator_) {
        fields_.push_back(std::move(field));
        field.clear();
        if (fields_.size() == kMaxFields) break;
        continue;
      }
      if (c == kQuote) quoted = !quoted;
      field += c;
    }
    if (!field.empty() && fields_.size() < kMaxFields) fields_.push_back(std::move(field));
  } catch (const std::bad_alloc&) {
    splitBufferFailed();
  }
  return static_cast<std::int32_t>(fields_.size());
}

std::int32_t Dividing::buildPaths(std::string_view list, std::string_view fileName, char joiner) {
  const std::int32_t count = splitFields(list);
  fieldTable_.clear();
  for (const std::string& field : fields_) {
    try {
      std::string path;
      path.reserve(field.size() + 1 + fileName.size());
      path.append(field).append(1, joiner).append(fileName);
      fieldTable_.push_back(std::move(path));
    } catch (const std::bad_alloc&) {
      allocationFailed("new char[] error-4:", fileName.size() + kLineBufferSize + 2);
    }
  }
  return count;
}

std::int32_t Dividing::copyFields(std::string_view text) {
  const std::int32_t count = splitFields(text);
  fieldTable_.clear();
  try {
    fieldTable_ = fields_;
  } catch (const std::bad_alloc&) {
    allocationFailed("new char[] error-6:", kLineBufferSize);
  }
  return count;
}

bool canOpenForReading(const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  const int fd = openForReading(name);
  if (fd < 0) return false;
  const std::optional<FileStatus> info = statusOf(fd);
  closeFile(fd);
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
