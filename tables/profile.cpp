#include "profile.h"

#include <utility>

namespace morvel {

ProgramProfile morvelProfile() {
  ProgramProfile p;
  p.program = Program::morvel;
  p.fixedFolder = MORVEL_FIXED_FOLDER;
  p.pathBufferSize = 524288;
  return p;
}

ProgramProfile fenraProfile() {
  ProgramProfile p;
  p.program = Program::fenra;
  p.fixedFolder = FENRA_FIXED_FOLDER;
  p.pathBufferSize = 3712;
  p.givenTableName = std::string();
  return p;
}

ProgramProfile& programProfile() {
  static ProgramProfile current = morvelProfile();
  return current;
}

void setProgramProfile(ProgramProfile profile) { programProfile() = std::move(profile); }

}  // namespace morvel
