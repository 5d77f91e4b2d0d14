// SPDX-License-Identifier: MIT
// Replays a fuzz target's corpus as an ordinary test: every file in the given
// folders (or the given files) is fed once to LLVMFuzzerTestOneInput. Any
// crash or sanitizer report fails the run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

static bool RunOne(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
    return false;
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

int main(int argc, char** argv) {
  std::size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (entry.is_regular_file() && !RunOne(entry.path())) return 1;
        count += entry.is_regular_file() ? 1 : 0;
      }
    } else {
      if (!RunOne(arg)) return 1;
      ++count;
    }
  }
  if (count == 0) {
    std::fprintf(stderr, "no corpus inputs found\n");
    return 1;
  }
  std::printf("replayed %zu inputs\n", count);
  return 0;
}
