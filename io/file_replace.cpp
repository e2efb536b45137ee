#include "file_replace.h"

#include <chrono>

#include "binary_file.h"
#include "replace_steps.h"

namespace morvel {

namespace replace_steps {

std::string temporaryName(unsigned attempt, unsigned long long process) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
              (process << 20) ^ (attempt * 0x9E3779B97F4A7C15ull);
  std::string name = ".mv-";
  for (int k = 0; k < 6; ++k) {
    name += kDigits[seed % 36];
    seed /= 36;
  }
  return name;
}

}  // namespace replace_steps

using namespace replace_steps;

namespace {

// The complete temporary file written over the target where it is, so that
// another program's handle of it stays valid and reads it; a target that
// cannot be opened for that stays as it was.
Outcome copiedInPlace(Temporary& temporary, const Target& target, InPlace inPlace) {
  if (inPlace == InPlace::refused) return Outcome::fallback;
  const int from = contentOf(temporary);
  if (from < 0) return Outcome::failed;
  return writeInPlace(
      target.path, Opening::existing, [from](int fd) { return copyAll(from, fd); }, true);
}

}  // namespace

Outcome replaceFile(const std::string& name, const ContentWriter& write, InPlace inPlace) {
  const std::optional<Target> target = targetOf(name);
  if (!target) return Outcome::fallback;
  if (target->exists && target->type == FileType::directory) return Outcome::fallback;
  // A pipe, a terminal or a device, also behind a link such as /dev/stdout,
  // takes the content as it comes: there is no file to replace.
  if (target->exists && target->type == FileType::other) {
    return inPlace == InPlace::allowed ? writeInPlace(target->device, Opening::existing, write, false)
                                       : Outcome::fallback;
  }
  // A file the user may not write is not replaced behind its back.
  if (target->exists && !target->writable) return Outcome::fallback;

  const TemporaryFile temporary = createTemporary(*target);
  if (!temporary) {
    return inPlace == InPlace::allowed ? writeInPlace(target->path, Opening::created, write, false) : Outcome::fallback;
  }
  const Outcome placed =
      fillTemporary(*temporary, *target, write) ? commitTemporary(*temporary, *target) : Outcome::failed;
  Outcome result = placed == Outcome::done       ? Outcome::done
                   : placed == Outcome::fallback ? copiedInPlace(*temporary, *target, inPlace)
                                                 : Outcome::failed;
  if (!closeTemporary(*temporary) && placed == Outcome::done) result = Outcome::failed;
  return result;
}

}  // namespace morvel
