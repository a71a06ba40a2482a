#include "SimDisplay.h"

#include <stdarg.h>
#include <string.h>
#include <windows.h>

int SimDisplay::Initialise(const char* text) {
  CloseFiles();
  settings = SimSettings();
  script = KeyScript();
  if (!settings.Parse(text)) {
    fprintf(stderr, "VELT.DLL: %s\n", settings.error);
    return 0;
  }
  if (settings.logPath[0] && !(log = fopen(settings.logPath, "ab"))) {
    fprintf(stderr, "VELT.DLL: cannot open log file '%s'\n", settings.logPath);
    return 0;
  }
  int result = Start();
  Log("Initialisation \"%s\" -> %d", text, result);
  return result;
}

int SimDisplay::Start() {
  if (settings.keysPath[0] && !script.Load(settings.keysPath)) {
    fprintf(stderr, "VELT.DLL: %s\n", script.Error());
    return 0;
  }
  if (settings.initialisationFails) return 0;
  if (settings.braillePath[0]) {
    braille = strcmp(settings.braillePath, "-") == 0 ? stdout : fopen(settings.braillePath, "ab");
    if (!braille) {
      fprintf(stderr, "VELT.DLL: cannot open braille file '%s'\n", settings.braillePath);
      return 0;
    }
  }
  nextEvent = 0;
  nextDue = GetTickCount() + (script.Count() ? script.At(0).delay : 0);
  rowShown = false;
  return 1;
}

void SimDisplay::Close() {
  Log("Fermeture");
  CloseFiles();
}

// Without logging: a second Initialisation closes what the first opened.
void SimDisplay::CloseFiles() {
  if (log) fclose(log);
  log = nullptr;
  if (braille && braille != stdout) fclose(braille);
  braille = nullptr;
}

int SimDisplay::ReadKey(unsigned char* code, unsigned char* flags) {
  unsigned long tick = GetTickCount();
  if (nextEvent >= script.Count() || static_cast<long>(tick - nextDue) < 0) {
    ++quietPolls;
    return 0;
  }
  const KeyScript::Event& event = script.At(nextEvent++);
  *code = event.code;
  *flags = event.flags;
  if (nextEvent < script.Count()) nextDue = tick + script.At(nextEvent).delay;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  Log("LectureClavier -> %d %02X %02X @%lld", event.type, event.flags, event.code, now.QuadPart);
  return event.type;
}

void SimDisplay::Show(const unsigned char* cells) {
  char hex[kCells * 2 + 1];
  for (int i = 0; i < kCells; ++i) snprintf(hex + 2 * i, 3, "%02X", cells[i]);
  Log("Affichage %s", hex);
  int count = settings.cellCount < 0        ? 0
              : settings.cellCount > kCells ? kCells
                                            : settings.cellCount;
  if (rowShown && memcmp(lastRow, cells, count) == 0) return;
  memcpy(lastRow, cells, count);
  rowShown = true;
  WriteRow(cells, count);
}

int SimDisplay::CellCount() {
  Log("LongueurBarette -> %d", settings.cellCount);
  return settings.cellCount;
}

// One line of Unicode braille in UTF-8: U+2800 plus the cell's dot bits, bit 0 for
// dot 1 up to bit 7 for dot 8.
void SimDisplay::WriteRow(const unsigned char* cells, int count) {
  if (!braille) return;
  for (int i = 0; i < count; ++i) {
    unsigned pattern = 0x2800u + cells[i];
    fputc(0xE0 | (pattern >> 12), braille);
    fputc(0x80 | ((pattern >> 6) & 0x3F), braille);
    fputc(0x80 | (pattern & 0x3F), braille);
  }
  fputc('\n', braille);
  fflush(braille);
}

void SimDisplay::FlushQuietPolls() {
  if (!quietPolls) return;
  fprintf(log, "LectureClavier -> 0 (x%lu)\n", quietPolls);
  quietPolls = 0;
}

void SimDisplay::Log(const char* format, ...) {
  if (!log) return;
  FlushQuietPolls();
  va_list args;
  va_start(args, format);
  vfprintf(log, format, args);
  va_end(args);
  fputc('\n', log);
  fflush(log);
}
