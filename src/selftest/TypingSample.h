// What the self-test types: every character 0x20-0xFF that is text in the ANSI
// code page, then sentences with accented French letters, accents alone before
// letters, and signs. The key script makes the simulated display send them as
// type 1 key events (characters in the ANSI code page), and ends with the
// window's end key.
#pragma once

#include <string>

class TypingSample {
 public:
  TypingSample();
  bool WriteScript(const wchar_t* path) const;
  // The text the edit control should hold afterwards.
  const std::wstring& Expected() const { return expected; }
  int Characters() const { return characters; }
  int Sentences() const;

 private:
  void Add(unsigned char ch);

  std::string bytes;
  std::wstring expected;
  int characters = 0;
};
