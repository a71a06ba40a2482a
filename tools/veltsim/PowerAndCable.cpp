#include "PowerAndCable.h"

PowerAndCable::PowerAndCable() {
  InitializeCriticalSection(&lock);
}

PowerAndCable::~PowerAndCable() {
  DeleteCriticalSection(&lock);
}

void PowerAndCable::SwitchOn(bool on) {
  EnterCriticalSection(&lock);
  state.on = on;
  LeaveCriticalSection(&lock);
}

// Plugging in a cable that is in changes nothing.
void PowerAndCable::PlugIn(bool in) {
  EnterCriticalSection(&lock);
  if (!in) state.cable = kOut;
  if (in && state.cable == kOut) state.cable = kBack;
  LeaveCriticalSection(&lock);
}

void PowerAndCable::TogglePower() {
  EnterCriticalSection(&lock);
  state.on = !state.on;
  LeaveCriticalSection(&lock);
}

void PowerAndCable::ToggleCable() {
  EnterCriticalSection(&lock);
  state.cable = state.cable == kOut ? kBack : kOut;
  LeaveCriticalSection(&lock);
}

bool PowerAndCable::Initialise() {
  EnterCriticalSection(&lock);
  bool linked = state.cable != kOut;
  if (linked) state.cable = kIn;
  LeaveCriticalSection(&lock);
  return linked;
}

PowerAndCable::State PowerAndCable::Now() {
  EnterCriticalSection(&lock);
  State now = state;
  LeaveCriticalSection(&lock);
  return now;
}

int PowerAndCable::Answer(State state, int cells) {
  if (state.cable != kIn) return 0;
  return state.on ? cells : -1;
}

const char* PowerAndCable::Describe(State state) {
  if (state.cable == kOut) return "unplugged";
  if (state.cable == kBack) return "plugged in: linked again at the next Initialisation";
  return state.on ? "switched on" : "switched off";
}
