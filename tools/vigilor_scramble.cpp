// SPDX-License-Identifier: MIT
// vigilor-scramble: turns a module file into the form the CDN serves (and the
// cache keeps), and back.
//   vigilor-scramble encode <module> <out>   plain module -> served form
//   vigilor-scramble decode <served> <out>   served form  -> plain module
// The input is read whole before the output is written, so in and out may
// name the same file. Exit status: 0 done, 1 file error, 2 usage.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/module_scramble.h"

namespace {

// The bootstrapper reads a 200 answer of this size or less as "service
// disabled" rather than a module.
constexpr std::size_t kServiceDisabledMaxSize = 4096;

int Usage() {
  std::fputs("usage: vigilor-scramble encode|decode <input> <output>\n", stderr);
  return 2;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ReadFile(const char* path, std::vector<std::uint8_t>& bytes) {
  File file(std::fopen(path, "rb"));
  if (!file) return false;
  std::uint8_t chunk[64 * 1024];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  return std::ferror(file.get()) == 0;
}

bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes) {
  File file(std::fopen(path, "wb"));
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  // fclose flushes; a full disk may only show up there.
  return std::fclose(file.release()) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  const std::string_view mode = argv[1];
  if (mode != "encode" && mode != "decode") return Usage();

  std::vector<std::uint8_t> bytes;
  if (!ReadFile(argv[2], bytes)) {
    std::fprintf(stderr, "vigilor-scramble: cannot read %s\n", argv[2]);
    return 1;
  }
  if (mode == "encode") {
    vigilor::acquisition::ScrambleModule(bytes);
    if (bytes.size() <= kServiceDisabledMaxSize) {
      std::fprintf(stderr,
                   "vigilor-scramble: warning: %zu bytes; the bootstrapper takes a body of %zu bytes or less "
                   "as the service-disabled signal, not as a module\n",
                   bytes.size(), kServiceDisabledMaxSize);
    }
  } else {
    vigilor::acquisition::DescrambleModule(bytes);
  }
  if (!WriteFile(argv[3], bytes)) {
    std::fprintf(stderr, "vigilor-scramble: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
