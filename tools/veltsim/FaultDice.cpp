#include "FaultDice.h"

void FaultDice::Arm(int seed, int percent) {
  rate = percent;
  if (seed == armedSeed) return;
  armedSeed = seed;
  state = static_cast<unsigned>(seed) * 2654435761u | 1u;
}

bool FaultDice::Roll() {
  return armedSeed != 0 && static_cast<int>(Next() % 100) < rate;
}

int FaultDice::Pick(const int* values, int count) {
  return values[Next() % static_cast<unsigned>(count)];
}

// xorshift32: small, and the same sequence wherever the library is built.
unsigned FaultDice::Next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}
