// The simulated display's misbehaviour on purpose: a seeded dice that decides,
// at each point where a real device library can go wrong, whether this call
// does. The same seed and the same calls give the same faults, so a session
// that found a fault can be replayed.
#pragma once

class FaultDice {
 public:
  // Seeds the dice, unless it already rolls for this seed (a wake goes on with
  // the faults of the session it belongs to); seed 0 never rolls a fault.
  void Arm(int seed, int percent);
  // True for a fault, at the armed rate.
  bool Roll();
  // One of count values, uniformly.
  int Pick(const int* values, int count);

 private:
  unsigned Next();

  int armedSeed = 0;
  int rate = 0;
  unsigned state = 0;
};
