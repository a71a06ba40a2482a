#include "VeltDisplay.h"

#include "../../shared/log/Log.h"
#include "../../shared/log/LogLine.h"
#include "../keys/Keyboard.h"
#include "../port/VeltLibraryPort.h"

int VeltDisplay::phase = 0;
unsigned char VeltDisplay::packetType = 0;
unsigned char VeltDisplay::packetFlags = 0;

namespace {

const unsigned char kPress = 0x02;
const unsigned char kRelease = 0x01;

const char kNoCommunication[] = "Erreur de communication";
const char kSwitchedOff[] = "Le terminal braille n'est pas allum\xE9";

// Shows one of the driver's errors, as the host's user must see it.
void ShowError(const char* text) {
  if (Log::On()) LogLine().Text("box ").Quoted(text);
  MessageBoxA(nullptr, text, "Erreur", MB_OK);
}

// The packet's type and flags; its code, a typed character or key, only when
// typed text is logged.
void LogPacket(unsigned char type, unsigned char flags, unsigned char code) {
  LogLine line;
  line.Text("key type ").Number(type).Text(" flags ").Hex(flags);
  if (Log::Typed()) line.Text(" code ").Hex(code);
}

}  // namespace

int VeltDisplay::Open(const char* settings) {
  if (port) return 0;
  return OpenPort(new VeltLibraryPort, settings);
}

int VeltDisplay::Connect(int) {
  DWORD now = GetTickCount();
  LongueurBaretteProc length = VeltLibraryPort::Binding().LongueurBarette;
  int n = length ? length() : 0;
  if (Log::On()) LogLine().Text("LongueurBarette -> ").Number(n);
  if (n == 0) {
    ShowError(kNoCommunication);
    return 0;
  }
  if (n < 0) {
    ShowError(kSwitchedOff);
    return 0;
  }
  // The buffer holds kCells cells: a larger display shows its first kCells, and
  // the count stays within the result byte BrlInit reports it in.
  cellCount = n < kCells ? n : kCells;
  watch.Start(now);
  return 1;
}

int VeltDisplay::Send() {
  // While fresh starts bring the display back, the row waits for it, as it
  // waits in a display that is switched off.
  if (!port) return sessionOpen && !sleeping && watch.Reopening() ? 1 : 0;
  AffichageProc show = VeltLibraryPort::Binding().Affichage;
  if (show) show(cells);
  return 1;
}

int VeltDisplay::Sleep(int flag) {
  bool waking = sleeping && !flag;
  int result = BrailleDisplay::Sleep(flag);
  if (waking) watch.Resume(GetTickCount());
  return result;
}

int VeltDisplay::Poll() {
  int bytes = BrailleDisplay::Poll();
  // A callback may have ended the session or put the display to sleep.
  if (sessionOpen && !sleeping) Watch(bytes > 0);
  return bytes;
}

// Keys never wait for the watch: only a poll that took none asks or starts afresh,
// one of the two at most. Both are timed from the poll's end, now.
void VeltDisplay::Watch(bool tookKeys) {
  DWORD now = GetTickCount();
  watch.Polled(now);
  if (tookKeys) return;
  DisplayWatch::Step step = watch.Next(now);
  if (step == DisplayWatch::kAsk) Ask(now);
  if (step == DisplayWatch::kFreshStart) FreshStart(now);
}

void VeltDisplay::Ask(DWORD now) {
  int answer = CellCountAnswer();
  Follow(watch.Answered(answer, GetTickCount() - now, now, cellCount));
}

// Without a library (a fresh start failed), as no communication.
int VeltDisplay::CellCountAnswer() {
  LongueurBaretteProc length = VeltLibraryPort::Binding().LongueurBarette;
  return port && length ? length() : 0;
}

// As a wake opens the display, but without a box and without blanking cells
// no display shows: closed and unloaded, loaded, Initialisation with the host's
// settings; then asked, the ask timed with the rest.
void VeltDisplay::FreshStart(DWORD now) {
  if (Log::On()) LogLine().Text("fresh start: no communication");
  ClosePort();
  OpenPort(new VeltLibraryPort(false), portSettings);
  DWORD asked = GetTickCount();
  int answer = CellCountAnswer();
  DWORD end = GetTickCount();
  watch.FreshStarted(end - now, now);
  Follow(watch.Answered(answer, end - asked, now, cellCount));
}

void VeltDisplay::Follow(DisplayWatch::Action action) {
  if (action == DisplayWatch::kLetGo) LetGoOfKeys();
  if (action == DisplayWatch::kSendRow) Send();
}

int VeltDisplay::HandleInputByte(unsigned char byte) {
  if (phase == 0) {
    packetType = byte;
    phase = 1;
  } else if (phase == 1) {
    packetFlags = byte;
    phase = 2;
  } else {
    phase = 0;
    // Copied, since a host callback may poll again and start the next packet.
    unsigned char type = packetType;
    unsigned char flags = packetFlags;
    if (Log::On()) LogPacket(type, flags, byte);
    if (flags & kPress) Act(type, byte, true);
    if (flags & kRelease) Act(type, byte, false);
  }
  return 0;
}

void VeltDisplay::Act(unsigned char type, unsigned char code, bool press) {
  switch (type) {
    case 1:
      Keyboard::TypeCharacter(code, press ? 1 : 0);
      break;
    case 2:
      if (press) {
        Keyboard::PressVirtualKey(code);
      } else {
        Keyboard::ReleaseVirtualKey(code);
      }
      break;
    case 3:
    case 4: {
      int index = type == 3 ? code : (code + 128) % 256;
      if (press) {
        PressDisplayKey(index);
      } else {
        ReleaseDisplayKey(index);
      }
      break;
    }
  }
}
