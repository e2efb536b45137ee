#include "watched_file.h"

#include <sys/stat.h>

#include "text_file.h"

namespace morvel {

FileAge fileAge(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  FileAge age;
  age.exists = true;
  age.modifiedSeconds = info.st_mtim.tv_sec;
  age.modifiedNanoseconds = info.st_mtim.tv_nsec;
  age.size = static_cast<std::uint64_t>(info.st_size);
  age.inode = static_cast<std::uint64_t>(info.st_ino);
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
