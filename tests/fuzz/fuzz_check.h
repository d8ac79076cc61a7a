// What the fuzz targets share: a check that stops the process with a message, so that libFuzzer and the
// regression replayer both see a broken rule as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace velmora::fuzz {

inline void Require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "fuzz rule broken: %s\n", rule);
  std::abort();
}

}  // namespace velmora::fuzz
