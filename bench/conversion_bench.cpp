// conversion_bench: times one conversion on in-memory boxes and prints what it measured.
//
//   conversion_bench generate FILE [BYTES] [SEED]   random bytes 0x01..0xFF (no zero byte)
//   conversion_bench text-to-hex FILE [OUT]          FILE's bytes -> listing ("41 42 ")
//   conversion_bench hex-to-text FILE [OUT]          FILE's listing -> text
//
// FILE is read in binary into a ByteBuffer that is then moved into an AnsiText (no second copy)
// and put in a MemoryTextBox. Only the conversion call is timed: TextToHex(source, listing) into
// an empty listing box, or ListingBoxToTextBox(listing, text) into an empty text box. The result
// is then written to OUT when given ("-" for stdout, /dev/null to discard).
//
// Output: one line of key=value figures on stdout (stderr when OUT is "-"):
//   mode= input_bytes= output_bytes= seconds= mb_per_s= rss_before_kib= peak_kib=
// mb_per_s counts input bytes, 1 MB = 10^6 bytes. peak_kib is VmHWM from /proc/self/status at the
// end (the process's peak resident set, which includes the input held before the conversion);
// rss_before_kib is VmRSS just before the conversion.
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "ansi_text.h"
#include "hex_to_text.h"
#include "text_box.h"
#include "text_to_hex.h"

namespace {

using vornelle::AnsiText;
using vornelle::ByteBuffer;
using vornelle::MemoryTextBox;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "conversion_bench: %s\n", what.c_str());
  std::exit(2);
}

// A kibibyte figure from /proc/self/status ("VmHWM", "VmRSS"); -1 when it cannot be read.
long StatusKib(const char* key) {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return -1;
  char line[256];
  long value = -1;
  const std::size_t key_length = std::strlen(key);
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strncmp(line, key, key_length) == 0 && line[key_length] == ':') {
      value = std::strtol(line + key_length + 1, nullptr, 10);
      break;
    }
  }
  std::fclose(f);
  return value;
}

// The whole file, appended in chunks into a buffer reserved to the file's size (plus the
// terminator AnsiText needs), so it is never reallocated and never held twice.
ByteBuffer ReadFile(const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) Fail(std::string("cannot open ") + path);
  ByteBuffer buffer;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long size = std::ftell(f);
    if (size > 0) buffer.Reserve(static_cast<std::size_t>(size) + 1);
    std::rewind(f);
  }
  static char chunk[1 << 16];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) buffer.Append({chunk, got});
  if (std::ferror(f)) Fail(std::string("cannot read ") + path);
  std::fclose(f);
  return buffer;
}

void WriteResult(const char* path, std::string_view bytes) {
  if (path == nullptr) return;
  const bool to_stdout = std::strcmp(path, "-") == 0;
  std::FILE* f = to_stdout ? stdout : std::fopen(path, "wb");
  if (f == nullptr) Fail(std::string("cannot create ") + path);
  if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fflush(f) != 0) {
    Fail(std::string("cannot write ") + path);
  }
  if (!to_stdout) std::fclose(f);
}

// splitmix64: a fixed, portable sequence, so every run and every machine gets the same data.
std::uint64_t NextRandom(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int Generate(const char* path, std::uint64_t bytes, std::uint64_t seed) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) Fail(std::string("cannot create ") + path);
  std::uint64_t state = seed;
  static unsigned char chunk[1 << 16];
  while (bytes > 0) {
    const std::size_t n = bytes < sizeof chunk ? static_cast<std::size_t>(bytes) : sizeof chunk;
    for (std::size_t i = 0; i < n; ++i) {
      chunk[i] = static_cast<unsigned char>(1 + NextRandom(state) % 255);  // 0x01..0xFF
    }
    if (std::fwrite(chunk, 1, n, f) != n) Fail(std::string("cannot write ") + path);
    bytes -= n;
  }
  if (std::fclose(f) != 0) Fail(std::string("cannot write ") + path);
  return 0;
}

int Convert(const std::string& mode, const char* in_path, const char* out_path) {
  const bool to_hex = mode == "text-to-hex";
  MemoryTextBox input(AnsiText(ReadFile(in_path)));
  MemoryTextBox output;
  const std::size_t input_bytes = input.Content().Length();

  const long rss_before = StatusKib("VmRSS");
  const auto start = std::chrono::steady_clock::now();
  if (to_hex) {
    vornelle::TextToHex(input, output);
  } else {
    vornelle::ListingBoxToTextBox(input, output);
  }
  const auto stop = std::chrono::steady_clock::now();
  const long peak_after_conversion = StatusKib("VmHWM");

  const std::size_t output_bytes = output.Content().Length();
  WriteResult(out_path, output.Content().View());

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double seconds = std::chrono::duration<double>(stop - start).count();
  // The figures go to stdout, unless the result itself does.
  std::FILE* figures = out_path != nullptr && std::strcmp(out_path, "-") == 0 ? stderr : stdout;
  std::fprintf(figures,
               "mode=%s input_bytes=%zu output_bytes=%zu seconds=%.6f mb_per_s=%.1f "
               "rss_before_kib=%ld peak_kib=%ld peak_after_conversion_kib=%ld maxrss_kib=%ld\n",
               mode.c_str(), input_bytes, output_bytes, seconds,
               seconds > 0 ? static_cast<double>(input_bytes) / seconds / 1e6 : 0.0, rss_before,
               StatusKib("VmHWM"), peak_after_conversion, static_cast<long>(usage.ru_maxrss));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc >= 2 ? argv[1] : "";
  if (mode == "generate" && (argc >= 3 && argc <= 5)) {
    const std::uint64_t bytes = argc >= 4 ? std::strtoull(argv[3], nullptr, 0) : 64ull << 20;
    const std::uint64_t seed = argc >= 5 ? std::strtoull(argv[4], nullptr, 0) : 20240601;
    return Generate(argv[2], bytes, seed);
  }
  if ((mode == "text-to-hex" || mode == "hex-to-text") && (argc == 3 || argc == 4)) {
    return Convert(mode, argv[2], argc == 4 ? argv[3] : nullptr);
  }
  std::fprintf(stderr,
               "usage: conversion_bench generate FILE [BYTES] [SEED]\n"
               "       conversion_bench text-to-hex FILE [OUT]\n"
               "       conversion_bench hex-to-text FILE [OUT]\n");
  return 2;
}
