#include "KeyScript.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

namespace {

// One character in quotes, written in UTF-8, as a byte of the ANSI code page;
// advances *text past the closing quote.
bool QuotedCharacter(char** text, long* value) {
  char* p = *text + 1;
  int length = 1;
  while (length < 4 && (static_cast<unsigned char>(p[length]) & 0xC0) == 0x80) ++length;
  if (p[length] != '\'') return false;
  WCHAR wide[2];
  char ansi[2];
  BOOL lossy = FALSE;
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, p, length, wide, 2) != 1 ||
      WideCharToMultiByte(CP_ACP, 0, wide, 1, ansi, 2, nullptr, &lossy) != 1 || lossy) {
    return false;
  }
  *value = static_cast<unsigned char>(ansi[0]);
  *text = p + length + 1;
  return true;
}

// Reads one number (decimal, or hex after 0x) or quoted character; advances
// *text past it.
bool Field(char** text, long* value) {
  char* p = *text;
  while (*p == ' ' || *p == '\t') ++p;
  *text = p;
  if (*p == '\'') return QuotedCharacter(text, value);
  bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
  char* end = nullptr;
  *value = strtol(p, &end, hex ? 16 : 10);
  if (end == p || (*end && !strchr(" \t\r\n#", *end))) return false;
  *text = end;
  return true;
}

}  // namespace

bool KeyScript::Load(const char* path) {
  count = 0;
  FILE* file = fopen(path, "rb");
  if (!file) {
    snprintf(error, sizeof error, "cannot open key script '%s'", path);
    return false;
  }
  char line[256];
  int number = 0;
  bool ok = true;
  while (ok && fgets(line, sizeof line, file)) {
    ++number;
    if (strspn(line, " \t\r\n") == strlen(line) || line[strspn(line, " \t")] == '#') continue;
    if (count == kMaxEvents || !ParseLine(line, &events[count])) {
      snprintf(error, sizeof error,
               "key script '%s' line %d: expected 'delay type flags code' or 'delay "
               "power off|power on|unplug|plug in'",
               path, number);
      ok = false;
    } else {
      ++count;
    }
  }
  fclose(file);
  return ok;
}

bool KeyScript::ParseLine(char* line, Event* event) {
  long values[4];
  char* p = line;
  if (!Field(&p, &values[0]) || values[0] < 0 || values[0] > 600000) return false;
  event->delay = static_cast<unsigned>(values[0]);
  event->action = kKey;
  if (ParseAction(p, event)) return true;
  for (int i = 1; i < 4; ++i) {
    if (!Field(&p, &values[i])) return false;
  }
  p += strspn(p, " \t\r\n");
  if (*p && *p != '#') return false;  // a comment may end the line
  if (values[1] < 1 || values[1] > 255) return false;
  if (values[2] < 0 || values[2] > 255 || values[3] < 0 || values[3] > 255) return false;
  event->type = static_cast<int>(values[1]);
  event->flags = static_cast<unsigned char>(values[2]);
  event->code = static_cast<unsigned char>(values[3]);
  return true;
}

// The power switch or the cable, alone on the line but for a comment.
bool KeyScript::ParseAction(const char* text, Event* event) {
  const struct {
    const char* words;
    Action action;
  } actions[] = {
      {"power off", kPowerOff}, {"power on", kPowerOn}, {"unplug", kUnplug}, {"plug in", kPlugIn}};
  text += strspn(text, " \t");
  for (const auto& known : actions) {
    size_t length = strlen(known.words);
    const char* rest = text + length;
    if (strncmp(text, known.words, length) != 0) continue;
    rest += strspn(rest, " \t\r\n");
    if (*rest && *rest != '#') return false;
    event->action = known.action;
    return true;
  }
  return false;
}
