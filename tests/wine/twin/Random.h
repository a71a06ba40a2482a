// A seeded generator that gives the same numbers in the i686 and x86-64 builds
// (splitmix64: fixed-width integers only).
#pragma once

#include <stdint.h>

class Random {
 public:
  explicit Random(uint64_t seed) : state(seed) {}

  uint32_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
  }
  // 0 to n - 1.
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  bool Percent(int p) { return Below(100) < p; }
  template <typename T, int N>
  T Pick(const T (&values)[N]) {
    return values[Below(N)];
  }

 private:
  uint64_t state;
};
