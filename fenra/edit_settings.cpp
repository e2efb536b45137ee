#include "edit_settings.h"

#include <vector>

#include "numbered_lines.h"

namespace morvel {

namespace {

void setCharacterLine(const std::string& file, const std::string& value, int number, TypedCoding coding,
                      std::string& field, std::string& refusal) {
  if (const auto bytes = settingCharacter(value, coding)) {
    field = *bytes;
    refusal.clear();
  } else {
    refusal = refusedSettingLine(file, number, value, coding);
  }
}

}  // namespace

std::vector<std::string> EditSettings::refusals() const { return fieldRefusals(substitutedRefusal, substituteRefusal); }

void readSettingFile(const std::string& path, EditSettings& settings) {
  const auto lines = readNumberedLines(path);
  if (!lines) return;
  const std::size_t count = lines->values.size();
  const auto line = [&](std::size_t number) -> const std::string& { return lines->values[number - 1]; };
  if (count >= 1) settings.tableName = line(1);
  if (count >= 2) setCharacterLine(path, line(2), 2, lines->coding, settings.substituted, settings.substitutedRefusal);
  if (count >= 3) setCharacterLine(path, line(3), 3, lines->coding, settings.substitute, settings.substituteRefusal);
  if (count >= 4) settings.listName = line(4);
  if (count >= 5) settings.no_searching = line(5) != "0";
  if (count >= 6) settings.whichTable = line(6) != "0";
  if (count >= 11) settings.givenTableName = line(11);
}

}  // namespace morvel
