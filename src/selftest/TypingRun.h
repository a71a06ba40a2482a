// One layout in one Caps Lock state: the self-test's window in front with the
// layout active, the driver opened on the simulated display with the key script
// and polled from a thread of its own until the script's end key arrives, then
// the text read back and compared.
#pragma once

#include <string>

#include "../loader/DriverModule.h"
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
  TypingRun(DriverModule& driver, TypingWindow& window, const TypingSample& sample,
            const char* settings)
      : driver(driver), window(window), sample(sample), settings(settings) {}

  Outcome Run(Layout& layout, bool capsLock);

 private:
  std::string Prepare(Layout& layout, bool capsLock);
  Outcome Type();
  Outcome Watch(const DriverThread& worker);
  Outcome Compare(HKL layout, bool capsLock);
  std::string KeysAndUnicode(HKL layout, bool capsLock, bool* allByKey) const;
  static std::string ModifiersDown();

  DriverModule& driver;
  TypingWindow& window;
  const TypingSample& sample;
  const char* settings;
  bool hadFocus = false;
};
