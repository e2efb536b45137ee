// What differs between the two programs in the shared table code: where the
// fixed installation folder is, how much of PATH the search keeps, which name
// the last search way tries, and the wording of the reports. Each program
// builds its profile and hands it down with the reporter its entry chose.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "reporter.h"
#include "table_kind.h"

namespace morvel {

enum class Program { morvel, fenra };

struct ProgramProfile {
  Program program = Program::morvel;
  // The folder searched first, with its trailing separator.
  std::string fixedFolder;
  // Morvel's fixed folder, whichever program runs: after a fenra edit, what
  // Morvel's conversions would load is looked for there first.
  std::string morvelFixedFolder;
  // Size of the buffer that holds the PATH value; longer values are cut.
  std::size_t pathBufferSize = 0;
  // The table name tried by the last search way of the EUC-JP table: Morvel's
  // table name once its options are read, fenra's line 11 of "setting.txt".
  // Without one the way fails without opening anything.
  std::optional<std::string> givenTableName;
  // Morvel reports which table it used only when the table's kind equals its
  // target encoding; without one every table is reported (fenra).
  std::optional<TargetEncoding> reportEncoding;
};

// The profiles as each program starts: its fixed folder and PATH buffer.
ProgramProfile morvelProfile();
ProgramProfile fenraProfile();

// The program a table operation runs for: its profile and its reports.
struct TableContext {
  const ProgramProfile& profile;
  Reporter& reporter;

  [[nodiscard]] bool isMorvel() const { return profile.program == Program::morvel; }
};

}  // namespace morvel
