// Feeds arbitrary bytes to the option reading: once as "parameters.txt" and
// once as command-line words separated by NULs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "buffer_sizes.h"
#include "options.h"

namespace {

std::filesystem::path scratchDirectory;

void removeScratchDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
  std::filesystem::remove_all(scratchDirectory, ignored);
}

// All runs share one scratch directory, removed when the fuzzer exits.
void enterScratchDirectory() {
  if (!scratchDirectory.empty()) return;
  std::string pattern = (std::filesystem::temp_directory_path() / "morvel-options-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  scratchDirectory = pattern;
  std::filesystem::current_path(scratchDirectory);
  std::atexit(removeScratchDirectory);
}

void writeParameterFile(std::string_view bytes) {
  std::FILE* file = std::fopen(morvel::kParameterFile, "wb");
  if (file == nullptr) std::abort();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

std::vector<std::string> wordsOf(std::string_view bytes) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    std::size_t end = bytes.find('\0', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view word = bytes.substr(start, end - start);
    words.emplace_back(word);
    start = end + 1;
  }
  return words;
}

void checkLimits(const morvel::CommandLineOptions& options) {
  const morvel::FinalEffect& effect = options.effect;
  if (effect.substituted.size() > 2 || effect.substitute.size() > 2) std::abort();
  for (const std::string* name : {&effect.tableName, &effect.listName, &options.inputName, &options.outputName}) {
    if (name->size() >= morvel::kNameBufferSize) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  enterScratchDirectory();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  writeParameterFile(bytes);
  morvel::CommandLineOptions fromFile;
  morvel::ReadParameterFile(morvel::kParameterFile, fromFile);
  checkLimits(fromFile);

  // The same bytes as words, read on top of the same parameter file.
  const std::vector<std::string> words = wordsOf(bytes);
  checkLimits(morvel::readOptions(words));

  std::vector<const char*> argv{"morvel"};
  for (const std::string& word : words) argv.push_back(word.c_str());
  const std::vector<std::string> seen = morvel::commandWords(static_cast<int>(argv.size()), argv.data());
  if (seen.size() > words.size()) std::abort();
  return 0;
}
