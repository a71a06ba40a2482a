// One message between the bridge and its helper: a kind and a payload of at
// most kMaxPayload bytes, whose fields are written and read in order.
//
// The layout, which both ends follow and the fuzzers check the decoders
// against. On the wire: the kind, the payload's size in bytes (at most 2048),
// then the payload. A word is 32 bits, little-endian, two's complement; a text
// is its bytes and a terminating NUL. Flags are words of 0 or 1.
//
// Bridge to helper (the exports' arguments, and answers to the helper):
//   1 BrlInit          flag settings given, flag callback given, then the
//                      settings as a text of fewer than 80 characters if given
//   2 BrlTerminate, 5 BrlClear, 6 BrlRefresh, 9 ping: nothing
//   3 BrlDisplay, 4 BrlDisplayStatus
//                      word count as the host gave it, flag cells given, then,
//                      if given, the first min(count, 128) cells (none for a
//                      count of 0 or below)
//   7 BrlSleep         word flag as the host gave it
//   8 BrlTimer         flag Caps Lock on, as the host's calling thread reads it
//                      (the driver may type while it polls)
//   10 callback done, 11 keystrokes done, 12 message box done
//                      word the answer
// Helper to bridge:
//   0x100 ready        nothing
//   0x101 failed       text: the driver file that could not be loaded (UTF-8)
//   0x102 result       word the export's result
//   0x103 chord        word code, with bit 31 set; word parameter
//   0x104 keystrokes   word call (0 keybd_event, 1 SendInput), word count
//                      (1 for keybd_event, 1 to 64 for SendInput), then for
//                      each key: word virtual key, word scan code, word flags.
//                      keybd_event: virtual key 0-255, scan code 0-255, flags
//                      0 or 1 (extended key), plus 2 (key up) or not.
//                      SendInput: virtual key 0, scan code a UTF-16 code unit,
//                      flags 4 (Unicode), plus 2 (key up) or not.
//   0x105 message box  word type, text, caption; of the type the bridge keeps
//                      the bits of 0x7FFF, 0x10000 and 0x40000 only.
// Anything else breaks the protocol: the bridge ends the helper, the helper
// ends itself.
#pragma once

#include <stdint.h>

enum class MessageKind : uint32_t {
  // Bridge to helper: one request per export, a round trip with no work, and
  // the answers to the helper's own requests.
  kInit = 1,
  kTerminate,
  kDisplay,
  kDisplayStatus,
  kClear,
  kRefresh,
  kSleep,
  kTimer,
  kPing,
  kCallbackDone,
  kInputDone,
  kMessageBoxDone,
  // Helper to bridge: started or not, an export's result, and what the driver
  // asks of the host's process while it works.
  kReady = 0x100,
  kFailed,
  kResult,
  kChord,
  kInput,
  kMessageBox,
};

// How the driver sent the keystrokes a kInput message carries, so that the
// bridge replays them through the same call.
enum InputCall : int32_t { kKeybdEvent = 0, kSendInput = 1 };

class Message {
 public:
  static const uint32_t kHeaderSize = 8;
  static const uint32_t kMaxPayload = 2048;
  // Keystrokes in one kInput message; the helper splits longer calls.
  static const int kMaxInputs = 64;

  Message() = default;
  explicit Message(MessageKind kind) : kind(kind) {}

  MessageKind Kind() const { return kind; }
  uint32_t Size() const { return size; }

  // Appending; false, with the message unchanged, when it would not fit.
  bool PutInt(int32_t value);
  bool PutBytes(const void* data, uint32_t length);
  // The text and its terminating NUL.
  bool PutString(const char* text);

  // Reading from the start of the payload; false past its end.
  bool GetInt(int32_t* value);
  bool GetBytes(void* data, uint32_t length);
  // Points *text at the next NUL-terminated text; false without a NUL.
  bool GetString(const char** text);
  bool AtEnd() const { return readAt == size; }

  void WriteHeader(unsigned char* header) const;
  // Kind and size from a received header; false for a size above kMaxPayload.
  bool ReadHeader(const unsigned char* header);
  unsigned char* Payload() { return payload; }
  const unsigned char* Payload() const { return payload; }

 private:
  MessageKind kind = MessageKind::kPing;
  uint32_t size = 0;
  uint32_t readAt = 0;
  unsigned char payload[kMaxPayload];  // read only up to size
};
