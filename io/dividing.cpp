// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "dividing.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "out_of_memory.h"

namespace morvel {

namespace {

constexpr char kQuote = '"';

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

}  // namespace morvel
