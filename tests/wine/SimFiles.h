// The simulated display's files as a test sees them: its call log, read step by
// step, and key scripts written for it.
#pragma once

#include <stdio.h>
#include <windows.h>

#include <string>

inline std::string ReadWholeFile(const char* path) {
  std::string text;
  FILE* file = fopen(path, "rb");
  if (!file) return text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  fclose(file);
  return text;
}

inline int Count(const std::string& text, const char* what) {
  int count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

inline void WriteKeys(const char* path, const char* lines) {
  FILE* file = fopen(path, "wb");
  if (file) {
    fputs(lines, file);
    fclose(file);
  }
}

// A key script that types the text on the display's keyboard: each character
// pressed and released, all due at once.
inline std::string TypingScript(const char* text) {
  std::string script;
  for (const char* p = text; *p; ++p) {
    char line[64];
    unsigned ch = static_cast<unsigned char>(*p);
    snprintf(line, sizeof line, "0 1 0x02 %u\n0 1 0x01 %u\n", ch, ch);
    script += line;
  }
  return script;
}

// Returns just after the tick counter moved on, so that a poll that starts now
// has the whole tick to collect what is due.
inline void AlignToTick() {
  DWORD start = GetTickCount();
  while (GetTickCount() == start) {
  }
}

// The simulated display's log since the last look, so each step sees only what
// it caused.
class SimLog {
 public:
  explicit SimLog(const char* path) : path(path) { remove(path); }
  std::string Since() {
    std::string text = ReadWholeFile(path);
    std::string recent = text.substr(mark < text.size() ? mark : text.size());
    mark = text.size();
    return recent;
  }

 private:
  const char* path;
  size_t mark = 0;
};
