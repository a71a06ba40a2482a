#include "SimSettings.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool Is(const char* key, int keyLength, const char* name) {
  return keyLength == static_cast<int>(strlen(name)) && strncmp(key, name, keyLength) == 0;
}

bool CopyPath(char* dest, const char* value, int valueLength) {
  if (valueLength <= 0 || valueLength >= SimSettings::kPathSize) return false;
  memcpy(dest, value, valueLength);
  dest[valueLength] = 0;
  return true;
}

bool ParseInt(const char* value, int valueLength, int* result) {
  char text[16];
  if (valueLength <= 0 || valueLength >= static_cast<int>(sizeof text)) return false;
  memcpy(text, value, valueLength);
  text[valueLength] = 0;
  char* end = nullptr;
  long parsed = strtol(text, &end, 10);
  if (*end || parsed < -100000 || parsed > 100000) return false;
  *result = static_cast<int>(parsed);
  return true;
}

}  // namespace

bool SimSettings::Parse(const char* settings) {
  if (!settings) return Fail("no settings string", "", 0);
  const char* item = settings;
  while (*item) {
    const char* end = strchr(item, ';');
    int itemLength = end ? static_cast<int>(end - item) : static_cast<int>(strlen(item));
    const char* equals = static_cast<const char*>(memchr(item, '=', itemLength));
    if (itemLength > 0) {
      if (!equals) return Fail("expected key=value", item, itemLength);
      int keyLength = static_cast<int>(equals - item);
      if (!Apply(item, keyLength, equals + 1, itemLength - keyLength - 1)) {
        return error[0] ? false : Fail("bad or unknown setting", item, itemLength);
      }
    }
    item += itemLength + (end ? 1 : 0);
  }
  return true;
}

bool SimSettings::Apply(const char* key, int keyLength, const char* value, int valueLength) {
  if (Is(key, keyLength, "cells")) return ParseInt(value, valueLength, &cellCount);
  if (Is(key, keyLength, "init")) {
    initialisationFails = Is(value, valueLength, "fail");
    return initialisationFails || Is(value, valueLength, "ok");
  }
  if (Is(key, keyLength, "keys")) return CopyPath(keysPath, value, valueLength);
  if (Is(key, keyLength, "braille")) return CopyPath(braillePath, value, valueLength);
  if (Is(key, keyLength, "log")) return CopyPath(logPath, value, valueLength);
  if (Is(key, keyLength, "window")) {
    window = Is(value, valueLength, "on");
    return window || Is(value, valueLength, "off");
  }
  if (Is(key, keyLength, "crash")) {
    return ParseInt(value, valueLength, &crashCell) && crashCell >= 0 && crashCell <= 0xFF;
  }
  if (Is(key, keyLength, "faults"))
    return ParseInt(value, valueLength, &faultSeed) && faultSeed >= 0;
  if (Is(key, keyLength, "faultrate")) {
    return ParseInt(value, valueLength, &faultRate) && faultRate >= 0 && faultRate <= 100;
  }
  if (Is(key, keyLength, "file") && !inFile) return ParseFile(value, valueLength);
  return false;
}

// The pairs of a settings file, with line ends as separators; it may not name
// another file.
bool SimSettings::ParseFile(const char* path, int pathLength) {
  char name[kPathSize];
  if (!CopyPath(name, path, pathLength)) return false;
  FILE* file = fopen(name, "rb");
  if (!file) return Fail("cannot open settings file", path, pathLength);
  static char text[4096];
  size_t length = fread(text, 1, sizeof text - 1, file);
  bool whole = feof(file);
  fclose(file);
  if (!whole) return Fail("settings file too long", path, pathLength);
  text[length] = 0;
  for (char* p = text; *p; ++p) {
    if (*p == '\r' || *p == '\n') *p = ';';
  }
  inFile = true;
  bool ok = Parse(text);
  inFile = false;
  return ok;
}

bool SimSettings::Fail(const char* what, const char* item, int itemLength) {
  snprintf(error, sizeof error, "%s: '%.*s'", what, itemLength > 60 ? 60 : itemLength, item);
  return false;
}
