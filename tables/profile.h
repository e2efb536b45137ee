// What differs between the two programs in the shared table code: where the
// fixed installation folder is, how reports reach the user, how much of PATH
// the search keeps, and which name the last search way tries. Each program
// sets its profile once at start-up; tests set their own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace morvel {

enum class Program { morvel, fenra };

struct ProgramProfile {
  Program program = Program::morvel;
  // The folder searched first, with its trailing separator.
  std::string fixedFolder;
  // Size of the buffer that holds the PATH value; longer values are cut.
  std::size_t pathBufferSize = 524288;
  // The table name tried by the last search way of the EUC-JP table: Morvel's
  // table name once its options are read, fenra's line 11 of "setting.txt".
  // Without one the way fails without opening anything.
  std::optional<std::string> givenTableName;
  // Morvel reports which table it used only when the table's kind equals its
  // target encoding; without one every table is reported (fenra).
  std::optional<int> reportEncoding;
};

// The profiles as each program starts: Morvel's fixed folder and 524,288-byte
// PATH buffer, fenra's fixed folder and 3712-byte buffer.
ProgramProfile morvelProfile();
ProgramProfile fenraProfile();

// The current profile; Morvel's until a program sets another.
ProgramProfile& programProfile();
void setProgramProfile(ProgramProfile profile);

inline bool reportsToFiles() { return programProfile().program == Program::morvel; }

}  // namespace morvel
