// Property checks for the fuzz targets: a failed check names itself and the input, then aborts,
// which libFuzzer reports as a crash and saves the input as an artifact.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vornelle::fuzz {

inline void PrintBytes(const char* label, std::string_view bytes) {
  std::fprintf(stderr, "  %s (%zu bytes):", label, bytes.size());
  const std::size_t shown = bytes.size() < 64 ? bytes.size() : 64;
  for (std::size_t i = 0; i < shown; ++i) {
    std::fprintf(stderr, " %02X", static_cast<unsigned char>(bytes[i]));
  }
  std::fprintf(stderr, "%s\n", shown < bytes.size() ? " ..." : "");
}

[[noreturn]] inline void Fail(const char* property, const char* file, int line) {
  std::fprintf(stderr, "PROPERTY VIOLATED at %s:%d: %s\n", file, line, property);
  std::abort();
}

// Two byte strings that must be equal; on a difference both are shown before the abort.
inline void CheckSame(const char* what, std::string_view expected, std::string_view actual,
                      const char* file, int line) {
  if (expected == actual) return;
  std::fprintf(stderr, "PROPERTY VIOLATED at %s:%d: %s\n", file, line, what);
  PrintBytes("expected", expected);
  PrintBytes("actual", actual);
  std::abort();
}

}  // namespace vornelle::fuzz

#define VORNELLE_FUZZ_CHECK(condition)                                        \
  do {                                                                        \
    if (!(condition)) ::vornelle::fuzz::Fail(#condition, __FILE__, __LINE__); \
  } while (false)

#define VORNELLE_FUZZ_CHECK_SAME(what, expected, actual) \
  ::vornelle::fuzz::CheckSame(what, expected, actual, __FILE__, __LINE__)
