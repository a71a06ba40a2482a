#include "BrailleDisplay.h"

#include <stdint.h>
#include <string.h>

#include "../../shared/log/Log.h"
#include "../../shared/log/LogLine.h"
#include "../keys/Keyboard.h"
#include "../port/SerialPort.h"

BrailleDisplay* theDisplay = nullptr;

BrailleDisplay::BrailleDisplay() {
  theDisplay = this;
}

BrailleDisplay::~BrailleDisplay() {
  Keyboard::EndSession();
  theDisplay = nullptr;
}

int BrailleDisplay::Initialize(const char* settings, KeyCallback callback) {
  int length = DriverLimits::SettingsLength(settings);
  if (length < 0) return 0;
  keyCallback = callback;
  memcpy(portSettings, settings, length + 1);
  // A display already open stays as it was, in its session or not.
  if (!Open(portSettings)) {
    if (!port) sessionOpen = false;
    return 0;
  }
  sessionOpen = Connect(2000) != 0;
  return sessionOpen ? 1 : 0;
}

void BrailleDisplay::Terminate() {
  sessionOpen = false;
  if (!port) return;
  if (cellCount > 0) Clear();
  ClosePort();
}

int BrailleDisplay::Open(const char* settings) {
  if (port) return 0;
  return OpenPort(new SerialPort, settings);
}

int BrailleDisplay::OpenPort(CommPort* created, const char* settings) {
  // A message box shown while opening runs the host's messages, and with them
  // maybe its timer: until Open has returned, the port stays out of reach of
  // Poll and Send, and a second open is refused.
  if (!created || opening) {
    delete created;
    return 0;
  }
  opening = true;
  int result = created->Open(settings);
  opening = false;
  if (result && !port) {
    port = created;
    return result;
  }
  delete created;
  Keyboard::EndSession();
  return 0;
}

void BrailleDisplay::ClosePort() {
  CommPort* closing = port;
  port = nullptr;
  delete closing;
  Keyboard::EndSession();
}

void BrailleDisplay::LetGoOfKeys() {
  Keyboard::EndSession();
  memset(keyDown, 0, sizeof keyDown);
  chordReported = 1;
}

int BrailleDisplay::StatusCells() const {
  if (statusCellCount < 0) return 0;
  return statusCellCount < kCells ? statusCellCount : kCells;
}

int BrailleDisplay::SendIfChanged(int compareLength, bool refresh) {
  if (memcmp(cells, sentCells, compareLength) == 0) return 1;
  memcpy(sentCells, cells, kCells);
  return refresh ? Refresh() : Send();
}

int BrailleDisplay::Display(const unsigned char* src, int count) {
  if (cellCount == 0) return 1;
  int first = StatusCells();
  int room = kCells - first;
  int n = count < room ? count : room;
  if (!src && n > 0) return 0;  // no cells to show: keep what the user reads
  memset(cells + first, 0, room);
  if (n > 0) memcpy(cells + first, src, n);
  return SendIfChanged(kCells, false);
}

int BrailleDisplay::DisplayStatus(const unsigned char* src, int count) {
  int status = StatusCells();
  int n = count < status ? count : status;
  if (!src && n > 0) return 0;
  memset(cells, 0, status);
  if (n > 0) memcpy(cells, src, n);
  return SendIfChanged(status, true);
}

int BrailleDisplay::Clear() {
  if (cellCount == 0) return 1;
  memset(cells, 0, kCells);
  return SendIfChanged(kCells, false);
}

int BrailleDisplay::Refresh() {
  return Send();
}

int BrailleDisplay::Sleep(int flag) {
  if (flag == sleeping) return 1;
  sleeping = flag;
  if (Log::On()) LogLine().Text(flag ? "sleep" : "wake");
  if (flag && port) {
    Clear();
    ClosePort();
  } else if (!flag && !port) {
    Open(portSettings);
    Send();
  }
  return 1;
}

int BrailleDisplay::Poll() {
  if (sleeping || !port) return 0;
  unsigned char buffer[kPollBytes];
  int n = port->Read(buffer, sizeof buffer, 0);
  if (n > static_cast<int>(sizeof buffer)) n = sizeof buffer;
  for (int i = 0; i < n; ++i) HandleInputByte(buffer[i]);
  // A host callback may have closed the display while later bytes pressed keys.
  if (!port) Keyboard::EndSession();
  return n;
}

void BrailleDisplay::PressDisplayKey(int index) {
  // Reading with the display's keys is the user's activity: it resets the idle
  // timers as a keystroke would, without pinning the system awake.
  SetThreadExecutionState(ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
  if (index < 0 || index >= kKeys || keyDown[index]) return;
  keyDown[index] = 1;
  chordReported = 0;
}

void BrailleDisplay::ReleaseDisplayKey(int index) {
  if (index < 0 || index >= kKeys || !keyDown[index]) return;
  if (!chordReported) {
    // Marked before the call, so a callback that polls again cannot report twice.
    chordReported = 1;
    ReportChord();
  }
  keyDown[index] = 0;
}

void BrailleDisplay::ReportChord() {
  DWORD code = 0;
  DWORD param = 0;
  int keys = 0;
  for (int word = 0; word < kKeys; word += 8) {
    uint64_t held;
    memcpy(&held, keyDown + word, sizeof held);
    if (!held) continue;  // eight keys up at once: the usual case
    for (int i = word; i < word + 8; ++i) {
      if (keyDown[i]) AddToChord(i, &code, &param);
      keys += keyDown[i];
    }
  }
  if (code == 0 || !keyCallback) return;
  if (Log::On()) LogChord(code, param, keys);
  keyCallback(static_cast<int>(code | 0x80000000u), static_cast<int>(param));
}

// Shifts the chord code up a byte and adds key i, by its band of key numbers.
void BrailleDisplay::AddToChord(int i, DWORD* code, DWORD* param) {
  *code <<= 8;
  if (i <= 128) {
    *code |= static_cast<DWORD>(i);
  } else if (i <= 228) {
    *code |= 0x81;
    *param = static_cast<DWORD>(i - 128);
  } else if (i <= 328) {
    *code |= 0x82;
    *param = static_cast<DWORD>(i - 28);
  } else {
    *code |= 0x83;
    *param = static_cast<DWORD>(i + 72);
  }
}

// Out of line: the line's buffer stays off ReportChord's frame, which calls the
// host's callback. A host may take chords as braille typed on the display's
// keys: the code only when typed text is logged.
void BrailleDisplay::LogChord(DWORD code, DWORD param, int keys) {
  LogLine line;
  line.Text("chord of ").Number(keys).Text(keys == 1 ? " key" : " keys");
  if (Log::Typed()) {
    line.Text(": ").Hex(code | 0x80000000u).Text(" param ").Number(static_cast<long>(param));
  }
}
