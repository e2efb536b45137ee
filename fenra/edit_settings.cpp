#include "edit_settings.h"

#include <vector>

#include "numbered_lines.h"

namespace morvel {

namespace {
constexpr std::size_t kCharacterBytes = 2;
}  // namespace

void readSettingFile(const std::string& path, EditSettings& settings) {
  const auto lines = readNumberedLines(path);
  if (!lines) return;
  const std::size_t count = lines->size();
  const auto line = [&](std::size_t number) -> const std::string& { return (*lines)[number - 1]; };
  if (count >= 1) settings.tableName = line(1);
  if (count >= 2) settings.substituted = line(2).substr(0, kCharacterBytes);
  if (count >= 3) settings.substitute = line(3).substr(0, kCharacterBytes);
  if (count >= 4) settings.listName = line(4);
  if (count >= 5) settings.no_searching = line(5) != "0";
  if (count >= 6) settings.whichTable = line(6) != "0";
  if (count >= 11) settings.givenTableName = line(11);
}

}  // namespace morvel
