#include "profile.h"

namespace morvel {

namespace {
constexpr std::size_t kMorvelPathBufferSize = 524288;  // Morvel keeps at most 524,287 bytes of PATH
constexpr std::size_t kFenraPathBufferSize = 3712;     // fenra keeps at most 3711 bytes of PATH
}  // namespace

ProgramProfile morvelProfile() {
  ProgramProfile p;
  p.program = Program::morvel;
  p.fixedFolder = MORVEL_FIXED_FOLDER;
  p.morvelFixedFolder = MORVEL_FIXED_FOLDER;
  p.pathBufferSize = kMorvelPathBufferSize;
  return p;
}

ProgramProfile fenraProfile() {
  ProgramProfile p;
  p.program = Program::fenra;
  p.fixedFolder = FENRA_FIXED_FOLDER;
  p.morvelFixedFolder = MORVEL_FIXED_FOLDER;
  p.pathBufferSize = kFenraPathBufferSize;
  p.givenTableName = std::string();
  return p;
}

}  // namespace morvel
