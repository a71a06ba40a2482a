#include "SimDisplay.h"

#include <stdarg.h>
#include <string.h>
#include <windows.h>

namespace {

const unsigned char kBlankRow[SimDisplay::kCells] = {};

}  // namespace

int SimDisplay::Initialise(const char* text) {
  // Away (switched off, unplugged, or plugged in again): the window stays and
  // the script goes on where it was.
  bool resume = !PowerAndCable::Linked(link.Now());
  CloseFiles(resume);
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
  faults.Arm(settings.faultSeed, settings.faultRate);
  int result = Start(resume);
  if (result == 1) {
    Advance(GetTickCount());
    if (!link.Initialise()) result = 0;
    Follow(link.Now());
  }
  if (result == 1 && faults.Roll()) {
    // Failed after all, or ready with a result other than 1.
    const int odd[] = {0, 0, -1, 2, 0x7FFFFFFF};
    result = faults.Pick(odd, 5);
  }
  Log("Initialisation \"%s\" -> %d", text, result);
  return result;
}

int SimDisplay::Start(bool resume) {
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
  if (settings.window && !window.IsOpen() && !window.Open(settings.cellCount)) {
    fprintf(stderr, "VELT.DLL: cannot open the display's window\n");
    return 0;
  }
  // Every other Initialisation, a wake included, starts the script from its
  // first event.
  if (!resume) {
    nextEvent = 0;
    nextDue = GetTickCount() + (script.Count() ? script.At(0).delay : 0);
  }
  rowShown = false;
  return 1;
}

void SimDisplay::Close() {
  Log("Fermeture");
  CloseFiles(!PowerAndCable::Linked(link.Now()));
}

// Without logging: a second Initialisation closes what the first opened. The
// window stays while the display is away, to be switched on or plugged in.
void SimDisplay::CloseFiles(bool keepWindow) {
  if (!keepWindow) window.Close();
  windowKeys.Clear();
  if (log) fclose(log);
  log = nullptr;
  if (braille && braille != stdout) fclose(braille);
  braille = nullptr;
}

// Script lines due by tick, in order: the switch and the cable are worked; a
// key the display cannot send while away is lost, as a person's would be.
void SimDisplay::Advance(unsigned long tick) {
  while (nextEvent < script.Count() && static_cast<long>(tick - nextDue) >= 0) {
    KeyScript::Action action = script.At(nextEvent).action;
    if (action == KeyScript::kKey && PowerAndCable::Linked(link.Now())) break;
    Apply(action);
    if (++nextEvent < script.Count()) nextDue = tick + script.At(nextEvent).delay;
  }
  Follow(link.Now());
}

void SimDisplay::Apply(KeyScript::Action action) {
  if (action == KeyScript::kPowerOff || action == KeyScript::kPowerOn) {
    link.SwitchOn(action == KeyScript::kPowerOn);
  } else if (action == KeyScript::kUnplug || action == KeyScript::kPlugIn) {
    link.PlugIn(action == KeyScript::kPlugIn);
  }
}

// What the switch and the cable did since the last call, from the script or
// the window: logged; a display that goes away forgets its cells.
void SimDisplay::Follow(PowerAndCable::State now) {
  if (now.on != followed.on) Log(now.on ? "power on" : "power off");
  if (now.cable != followed.cable && now.cable != PowerAndCable::kIn) {
    Log(now.cable == PowerAndCable::kOut ? "unplugged" : "plugged in");
  }
  bool wasLinked = PowerAndCable::Linked(followed);
  bool linked = PowerAndCable::Linked(now);
  followed = now;
  if (wasLinked == linked) return;
  if (!linked) {
    window.Show(kBlankRow);
    memset(lastRow, 0, sizeof lastRow);
    rowShown = true;
    WriteRow(kBlankRow, ShownCells());
  }
  window.SetStatus(PowerAndCable::Describe(now));
  KeepLoaded(!linked);
}

// While away the library holds a reference to itself, taken and let go on the
// driver's thread inside its calls, when the driver holds one too.
void SimDisplay::KeepLoaded(bool away) {
  if (away && !kept) {
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(kBlankRow),
                       &kept);
  } else if (!away && kept) {
    FreeLibrary(kept);
    kept = nullptr;
  }
}

int SimDisplay::ReadKey(unsigned char* code, unsigned char* flags) {
  unsigned long tick = GetTickCount();
  Advance(tick);
  bool linked = PowerAndCable::Linked(link.Now());
  if (!linked) windowKeys.Clear();
  int type = 0;
  if (!linked || (!OddKey(&type, code, flags, tick) && !NextKey(&type, code, flags, tick))) {
    ++quietPolls;
    return 0;
  }
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  Log("LectureClavier -> %d %02X %02X @%lld", type, *flags, *code, now.QuadPart);
  char status[96];
  snprintf(status, sizeof status, "last key sent to the driver: type %d, flags %02X, code %u", type,
           *flags, *code);
  window.SetStatus(status);
  return type;
}

// The window's keys first, as they are typed; then the script's, when due.
bool SimDisplay::NextKey(int* type, unsigned char* code, unsigned char* flags, unsigned long tick) {
  if (windowKeys.Pop(type, flags, code)) return true;
  if (nextEvent >= script.Count() || static_cast<long>(tick - nextDue) < 0) return false;
  const KeyScript::Event& event = script.At(nextEvent++);
  *type = event.type;
  *code = event.code;
  *flags = event.flags;
  if (nextEvent < script.Count()) nextDue = tick + script.At(nextEvent).delay;
  return true;
}

// Instead of a scripted event that is due, at times one no display sends: a
// result outside 1-4 (257 and 0x80000001 have a valid low byte) with random
// flags and code. The scripted event stays due.
bool SimDisplay::OddKey(int* type, unsigned char* code, unsigned char* flags, unsigned long tick) {
  if (nextEvent >= script.Count() || static_cast<long>(tick - nextDue) < 0 || !faults.Roll()) {
    return false;
  }
  const int odd[] = {5, 9, 255, -1, 257, 0x7FFFFFFF, static_cast<int>(0x80000001u)};
  *type = faults.Pick(odd, 7);
  const int bytes[] = {0x00, 0x01, 0x02, 0x03, 0x41, 0x7E, 0xE9, 0xFF};
  *flags = static_cast<unsigned char>(faults.Pick(bytes, 8));
  *code = static_cast<unsigned char>(faults.Pick(bytes, 8));
  return true;
}

void SimDisplay::Show(const unsigned char* cells) {
  Advance(GetTickCount());
  char hex[kCells * 2 + 1];
  for (int i = 0; i < kCells; ++i) snprintf(hex + 2 * i, 3, "%02X", cells[i]);
  Log("Affichage %s", hex);
  // The host's way to make the library crash, as a faulty one would.
  if (cells[0] == settings.crashCell) *static_cast<volatile int*>(nullptr) = 0;
  // A display away shows nothing.
  if (!PowerAndCable::Linked(link.Now())) return;
  window.Show(cells);
  int count = ShownCells();
  if (rowShown && memcmp(lastRow, cells, count) == 0) return;
  memcpy(lastRow, cells, count);
  rowShown = true;
  WriteRow(cells, count);
}

int SimDisplay::ShownCells() const {
  return settings.cellCount < 0 ? 0 : settings.cellCount > kCells ? kCells : settings.cellCount;
}

int SimDisplay::CellCount() {
  Advance(GetTickCount());
  PowerAndCable::State now = link.Now();
  int answer = PowerAndCable::Answer(now, settings.cellCount);
  if (PowerAndCable::Linked(now) && faults.Roll()) {
    // No answer, switched off, or a count no VELT display has.
    const int odd[] = {0, -1, -100000, 1, 129, 255, 256, 100000};
    answer = faults.Pick(odd, 8);
  }
  Log("LongueurBarette -> %d", answer);
  return answer;
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
