// One message between the bridge and its helper: a kind and a payload of at
// most kMaxPayload bytes, whose fields are written and read in order. On the
// wire: the kind and the payload size as two little-endian 32-bit words, then
// the payload.
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
