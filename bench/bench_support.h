// What the benchmarks share: their arguments, timing, and the plain file
// work they compare with.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace bench {

struct Options {
  double megabytes = 0;
  int repeats = 0;
};

// "[megabytes [repeats]]", each falling back to its default.
inline Options optionsFrom(int argc, char** argv, Options defaults) {
  Options options = defaults;
  if (argc > 1) options.megabytes = std::atof(argv[1]);
  if (argc > 2) options.repeats = std::max(1, std::atoi(argv[2]));
  if (options.megabytes <= 0) options.megabytes = defaults.megabytes;
  return options;
}

inline double secondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline std::string bytesOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reading a file and writing its bytes unchanged, in blocks of 1 MiB: what
// any converter pays for its input and output alone.
inline void copyFile(const std::filesystem::path& input, const std::filesystem::path& output) {
  std::FILE* in = std::fopen(input.c_str(), "rb");
  std::FILE* out = std::fopen(output.c_str(), "wb");
  if (in == nullptr || out == nullptr) std::exit(1);
  std::vector<char> block(1 << 20);
  while (const std::size_t got = std::fread(block.data(), 1, block.size(), in)) std::fwrite(block.data(), 1, got, out);
  std::fclose(in);
  if (std::fclose(out) != 0) std::exit(1);
}

}  // namespace bench
