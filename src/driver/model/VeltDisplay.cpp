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
  return 1;
}

int VeltDisplay::Send() {
  if (!port) return 0;
  AffichageProc show = VeltLibraryPort::Binding().Affichage;
  if (show) show(cells);
  return 1;
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
