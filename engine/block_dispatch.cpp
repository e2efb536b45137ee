// Which block path the fast forms take: the widest this build has and the
// processor can run, chosen once, or the one a test or benchmark asks for;
// and the fast forms of line_conversion.h, sent along it.
#include <atomic>
#include <iterator>

#include "block_implementation.h"
#include "block_path.h"
#include "line_conversion.h"

namespace morvel {

namespace {

using blocks::Implementation;
using blocks::kWordsImplementation;
using blocks::ruleIndex;

// The implementation of `path`, or none when the build or the processor
// lacks it.
const Implementation* implementationFor(BlockPath path) {
  switch (path) {
    case BlockPath::words:
      return &kWordsImplementation;
#if MORVEL_X86_VECTORS
    case BlockPath::sse2:
      return &blocks::kSse2Implementation;
    case BlockPath::avx2: {
      static const bool available = blocks::processorHasAvx2();
      return available ? &blocks::kAvx2Implementation : nullptr;
    }
#else
    case BlockPath::sse2:
    case BlockPath::avx2:
      return nullptr;
#endif
  }
  return nullptr;
}

const Implementation& widestImplementation() {
  for (auto path = std::size(kBlockPaths); path-- > 0;) {
    if (const Implementation* found = implementationFor(kBlockPaths[path])) return *found;
  }
  return kWordsImplementation;
}

std::atomic<const Implementation*>& activeImplementation() {
  static std::atomic<const Implementation*> active{&widestImplementation()};
  return active;
}

const Implementation& implementationOrWords(BlockPath path) {
  const Implementation* found = implementationFor(path);
  return found != nullptr ? *found : kWordsImplementation;
}

const unsigned char* bytesOf(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

}  // namespace

const char* blockPathName(BlockPath path) {
  switch (path) {
    case BlockPath::words:
      return "words";
    case BlockPath::sse2:
      return "SSE2";
    case BlockPath::avx2:
      return "AVX2";
  }
  return "?";
}

bool blockPathAvailable(BlockPath path) { return implementationFor(path) != nullptr; }

std::vector<BlockPath> availableBlockPaths() {
  std::vector<BlockPath> paths;
  for (const BlockPath path : kBlockPaths) {
    if (blockPathAvailable(path)) paths.push_back(path);
  }
  return paths;
}

BlockPath activeBlockPath() { return activeImplementation().load(std::memory_order_relaxed)->path; }

bool useBlockPath(BlockPath path) {
  const Implementation* found = implementationFor(path);
  if (found == nullptr) return false;
  activeImplementation().store(found, std::memory_order_relaxed);
  return true;
}

namespace detail {

std::uint64_t leadBits(BlockPath path, const unsigned char* block) { return implementationOrWords(path).lead(block); }
std::uint64_t trailBits(BlockPath path, const unsigned char* block) { return implementationOrWords(path).trail(block); }
std::uint64_t specialBits(BlockPath path, ControlRule rule, const unsigned char* block) {
  return implementationOrWords(path).special[ruleIndex(rule)](block);
}
std::uint64_t breakBits(BlockPath path, const unsigned char* block) {
  return implementationOrWords(path).breaks(block);
}

}  // namespace detail

char* convertLine(BlockPath path, const FlatTable& table, std::string_view line, LineState& state, char* out) {
  const auto* in = bytesOf(line);
  return implementationOrWords(path).line[ruleIndex(table.rule)](table.entries.data(), in, in + line.size(), state,
                                                                 out);
}

char* convertLine(const FlatTable& table, std::string_view line, LineState& state, char* out) {
  const auto* in = bytesOf(line);
  const Implementation& active = *activeImplementation().load(std::memory_order_relaxed);
  return active.line[ruleIndex(table.rule)](table.entries.data(), in, in + line.size(), state, out);
}

char* convertText(BlockPath path, const FlatTextTable& table, std::string_view text, LineState& state, char* out) {
  const auto* in = bytesOf(text);
  return implementationOrWords(path).text[ruleIndex(table.flat.rule)](table.flat.entries.data(), in, in + text.size(),
                                                                      state, out);
}

char* convertText(const FlatTextTable& table, std::string_view text, LineState& state, char* out) {
  const auto* in = bytesOf(text);
  const Implementation& active = *activeImplementation().load(std::memory_order_relaxed);
  return active.text[ruleIndex(table.flat.rule)](table.flat.entries.data(), in, in + text.size(), state, out);
}

}  // namespace morvel
