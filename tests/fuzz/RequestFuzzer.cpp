// Arbitrary byte streams as the helper reads them from the bridge: message after
// message, decoded as the helper does, each accepted export request then run on
// the driver (in-process, against the scripted device library) as the helper
// runs it. Each message is also judged by a reading of the layout written down
// in src/bridge/channel/Message.h, straight from its bytes and with the numbers it
// gives, and the two must agree: a request is accepted exactly when the
// bridge may send it (settings of 80 characters or more left open: the driver
// refuses them itself), and an accepted one hands the driver what the host gave:
// settings that end inside the payload, the flags, the count, and cells (or
// none) of which the driver may read min(count, 128) bytes, those the host sent.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "../../include/brlvelt.h"
#include "../../src/bridge/helper/RequestDecoder.h"
#include "../../src/bridge/helper/RequestDispatch.h"
#include "../unit/FakeVelt.h"
#include "KeyState.h"
#include "PayloadBytes.h"

namespace {

int WINAPI OnChord(int code, int) {
  Require((static_cast<unsigned>(code) & 0x80000000u) != 0, "chord code has bit 31");
  return 0;
}

// What the decoder made of a request it accepted; null for one it rejected.
const RequestDecoder* accepted = nullptr;

void Field(bool same, const char* what) {
  if (accepted) Require(same, what);
}

enum Verdict { kRefused, kAllowed, kEither };

Verdict Judge(bool allowed) {
  return allowed ? kAllowed : kRefused;
}

Verdict Init(PayloadBytes& in, const RequestDecoder& decoded) {
  uint32_t settings = 0, callback = 0;
  const char* text = nullptr;
  if (!in.Word(&settings) || !in.Word(&callback) || settings > 1 || callback > 1) return kRefused;
  if (settings && !in.Text(&text)) return kRefused;
  if (!in.End()) return kRefused;
  Field(decoded.settings == text && decoded.callback == (callback == 1),
        "settings and callback as the host gave them");
  return text && strlen(text) >= 80 ? kEither : kAllowed;
}

Verdict Cells(PayloadBytes& in, const RequestDecoder& decoded) {
  uint32_t count = 0, hasCells = 0;
  if (!in.Word(&count) || !in.Word(&hasCells) || hasCells > 1) return kRefused;
  int32_t signedCount = static_cast<int32_t>(count);
  uint32_t n = hasCells && signedCount > 0 ? static_cast<uint32_t>(signedCount) : 0;
  if (n > 128) n = 128;
  const unsigned char* sent = in.data + in.at;
  if (!in.Skip(n) || !in.End()) return kRefused;
  Field(decoded.count == signedCount && (decoded.cells != nullptr) == (hasCells == 1),
        "count and cells (or none) as the host gave them");
  Field(!decoded.cells || memcmp(decoded.cells, sent, n) == 0, "the cells the host sent");
  return kAllowed;
}

Verdict Word(PayloadBytes& in, const int32_t& field) {
  uint32_t value = 0;
  if (!in.Word(&value) || !in.End()) return kRefused;
  Field(field == static_cast<int32_t>(value), "flag or answer as sent");
  return kAllowed;
}

Verdict CapsLock(PayloadBytes& in, const RequestDecoder& decoded) {
  uint32_t on = 0;
  if (!in.Word(&on) || on > 1 || !in.End()) return kRefused;
  Field(decoded.capsLock == (on == 1), "Caps Lock as the host read it");
  return kAllowed;
}

// Whether the bridge may send the message, judged from its bytes alone.
Verdict Allowed(const Message& message, const RequestDecoder& decoded) {
  PayloadBytes in{message.Payload(), message.Size()};
  switch (static_cast<uint32_t>(message.Kind())) {
    case 1:  // BrlInit: settings given or not, callback given or not, the settings
      return Init(in, decoded);
    case 3:  // BrlDisplay and BrlDisplayStatus: the count, cells given or not, the cells
    case 4:
      return Cells(in, decoded);
    case 7:  // BrlSleep: the flag
      return Word(in, decoded.flag);
    case 8:  // BrlTimer: Caps Lock on or off
      return CapsLock(in, decoded);
    case 10:  // answers to the helper's chord, keystrokes and message box
    case 11:
    case 12:
      return Word(in, decoded.answer);
    case 2:  // the other exports and the round trip carry nothing
    case 5:
    case 6:
    case 9:
      return Judge(in.End());
  }
  return kRefused;
}

// The in-process exports, as the helper's driver module would hold them.
RequestDispatch& Dispatch() {
  static DriverModule* driver = [] {
    fake::Reset();
    fake::win().recordOnly = {"none"};  // no check reads the recorded calls
    fakevelt::Install();
    DriverModule* module = new DriverModule();  // kept for the process, as the helper keeps it
    module->Init = BrlInit;
    module->Terminate = BrlTerminate;
    module->Display = BrlDisplay;
    module->DisplayStatus = BrlDisplayStatus;
    module->Clear = BrlClear;
    module->Refresh = BrlRefresh;
    module->Sleep = BrlSleep;
    module->Timer = BrlTimer;
    return module;
  }();
  static RequestDispatch dispatch(*driver, OnChord);
  return dispatch;
}

bool EndsInside(const char* text, const Message& message) {
  const char* start = reinterpret_cast<const char*>(message.Payload());
  return text >= start && text < start + message.Size() &&
         memchr(text, 0, start + message.Size() - text) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RequestDispatch& dispatch = Dispatch();
  while (size >= 8) {
    Message message;
    if (!message.ReadHeader(data) || PayloadBytes::Le32(data + 4) > size - 8) break;
    data += 8;
    size -= 8;
    memcpy(message.Payload(), data, message.Size());
    data += message.Size();
    size -= message.Size();
    RequestDecoder decoded;
    accepted = decoded.Decode(message) ? &decoded : nullptr;
    Verdict verdict = Allowed(message, decoded);
    Require(verdict == kEither || (accepted != nullptr) == (verdict == kAllowed),
            "accepted exactly what the bridge may send");
    Field(decoded.kind == message.Kind(), "kind as sent");
    Field(!decoded.settings || EndsInside(decoded.settings, message),
          "settings end inside the payload");
    int result = 0;
    if (accepted) dispatch.Execute(decoded, &result);
  }
  accepted = nullptr;
  BrlTerminate();
  BrlSleep(0);
  BrlTerminate();
  Require(fakevelt::References() == 0, "the library is unloaded once the display is closed");
  // As many heap blocks as before the run, and no record that grows from run to run.
  fake::win().typed.clear();
  fakevelt::library().shown.clear();
  return 0;
}
