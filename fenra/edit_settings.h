// fenra's settings of one run: defaults, then "setting.txt", then the
// command line.
#pragma once

#include <string>
#include <vector>

#include "fenra_texts.h"

namespace morvel {

struct EditSettings {
  std::string tableName = "MS932~EUC-JP.bin";  // the file the edit writes
  std::string substituted = "\x87\x53";        // circled digit twenty
  std::string substitute = "\x93\xF9";         // the kanji for twenty
  std::string listName;                        // a list run when not empty
  bool acquire_from_text = false;
  bool no_searching = false;
  bool whichTable = false;
  std::string givenTableName;  // line 11: the table name the last search way tries
  // Why a character field keeps its earlier value: the line for the last
  // character option or "setting.txt" line that set it and could not be
  // read. Empty once a later one was read. A single substitution refuses to
  // run while either is set.
  std::string substitutedRefusal;
  std::string substituteRefusal;

  // The refusals that are set, substituted first.
  std::vector<std::string> refusals() const;
};

// Applies "setting.txt" (or another file of its form): line 1 table name,
// 2 the character to substitute, 3 its substitute, 4 the list name, 5
// no_searching and 6 whichTable ("0" clears, any other text sets), 11 the
// given table name. A missing file changes nothing. The character lines are
// read as settingCharacter() reads them: a line that is not one character
// leaves its field and is refused.
void readSettingFile(const std::string& path, EditSettings& settings);

}  // namespace morvel
