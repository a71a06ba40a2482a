#include "KeyScript.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Reads one number or quoted character; advances *text past it.
bool Field(char** text, long* value) {
  char* p = *text;
  while (*p == ' ' || *p == '\t') ++p;
  if (p[0] == '\'' && p[1] && p[2] == '\'') {
    *value = static_cast<unsigned char>(p[1]);
    *text = p + 3;
    return true;
  }
  char* end = nullptr;
  *value = strtol(p, &end, 0);
  if (end == p) return false;
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
    char* comment = strchr(line, '#');
    if (comment) *comment = 0;
    if (strspn(line, " \t\r\n") == strlen(line)) continue;
    if (count == kMaxEvents || !ParseLine(line, &events[count])) {
      snprintf(error, sizeof error, "key script '%s' line %d: expected 'delay type flags code'",
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
  for (long& value : values) {
    if (!Field(&p, &value)) return false;
  }
  if (strspn(p, " \t\r\n") != strlen(p)) return false;
  if (values[0] < 0 || values[0] > 600000 || values[1] < 1 || values[1] > 255) return false;
  if (values[2] < 0 || values[2] > 255 || values[3] < 0 || values[3] > 255) return false;
  event->delay = static_cast<unsigned>(values[0]);
  event->type = static_cast<int>(values[1]);
  event->flags = static_cast<unsigned char>(values[2]);
  event->code = static_cast<unsigned char>(values[3]);
  return true;
}
