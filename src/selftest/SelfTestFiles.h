// The files the self-test uses: the driver and the simulated display beside this
// program (or the bridge beside it, with its helper and the display in
// brlvelthost\), and the key script the simulated display plays.
#pragma once

#include <windows.h>

#include <string>

#include "TypingSample.h"

class SelfTestFiles {
 public:
  // The driver's settings: the key script, named relatively.
  static const char kSettings[];

  // False, with what is missing printed.
  bool Find(bool bridge);
  // The driver's path, once found.
  std::wstring Driver() const;
  // False, with the reason printed.
  bool WriteScript(const TypingSample& sample);
  // The key script and its folder deleted, with this program's folder current.
  void RemoveScript() const;

 private:
  std::wstring folder;
  std::wstring scriptFolder;
};
