// One layout in one Caps Lock state: the self-test's window in front with the
// layout active and Caps Lock as asked, the driver opened on the simulated
// display with the key script by the self-test's driver thread and polled until
// the script's end key arrives, then the text read back and compared, with how
// each character came and whether the driver's thread saw Caps Lock as it was.
// Under Wine Caps Lock is carried to that thread instead, and the line says so:
// it shows that the carry took, not that the driver would have seen it.
#pragma once

#include <string>

#include "CapsLockKey.h"
#include "DriverThread.h"
#include "LayoutList.h"
#include "TypingSample.h"
#include "TypingWindow.h"

struct Outcome {
  enum Kind { kRight, kWrong, kNotRun, kTooLong, kStopped, kStuck } kind;
  // What the report line says after the layout.
  std::string text;
};

class TypingRun {
 public:
  TypingRun(DriverThread& worker, TypingWindow& window, const TypingSample& sample);

  Outcome Run(Layout& layout, bool capsLock);

 private:
  std::string Prepare(Layout& layout, bool capsLock);
  Outcome Type();
  Outcome Watch();
  Outcome Compare(HKL layout, bool capsLock);
  std::string KeysAndUnicode(HKL layout, bool capsLock, bool* allByKey) const;
  static bool MustComeByKey(WCHAR ch, HKL layout, bool capsLock);
  std::string DriverCapsLock(bool capsLock, bool* asAsked) const;
  static std::string ModifiersDown();

  DriverThread& worker;
  TypingWindow& window;
  const TypingSample& sample;
  CapsLockKey capsLockKey;
  // Under Wine, where a thread without windows never sees Caps Lock change.
  const bool carryCapsLock;
  bool hadFocus = false;
};
