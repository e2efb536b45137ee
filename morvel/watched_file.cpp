#include "watched_file.h"

#include "native_file.h"
#include "text_file.h"

namespace morvel {

FileAge fileAge(const std::string& path) {
  const std::optional<FileStatus> info = statusOf(path);
  if (!info) return {};
  FileAge age;
  age.exists = true;
  age.modifiedSeconds = info->modifiedSeconds;
  age.modifiedNanoseconds = info->modifiedNanoseconds;
  age.size = info->size;
  age.inode = info->identity;
  return age;
}

bool writeWatchedFile(const std::string& path, const std::string& text) { return writeTextFile(path, text); }

bool writeLinesBack(const std::string& path, const std::vector<std::string>& lines) {
  TextWriter writer(path);
  if (!writer.isOpen()) return false;
  for (const std::string& line : lines) {
    writer.write(line);
    writer.write("\n");
  }
  return writer.close();
}

}  // namespace morvel
