// A message from the helper, checked field by field before the bridge acts on
// it: the helper runs a device library the bridge does not trust.
#pragma once

#include <stdint.h>

#include "channel/Message.h"

struct ForwardedKey {
  uint16_t vk;
  uint16_t scan;
  uint32_t flags;
};

class HelperMessage {
 public:
  // False for anything the helper may not send: an unknown kind, a size that
  // does not match the kind, keystrokes out of range, a text without its end.
  bool Decode(Message& message);

  MessageKind kind = MessageKind::kReady;
  int32_t result = 0;            // kResult
  int32_t code = 0, param = 0;   // kChord
  InputCall call = kKeybdEvent;  // kInput
  int inputCount = 0;
  ForwardedKey inputs[Message::kMaxInputs] = {};
  uint32_t boxType = 0;        // kMessageBox, masked to the styles the driver may use
  const char* text = nullptr;  // kMessageBox, and kFailed's file (UTF-8)
  const char* caption = nullptr;

 private:
  bool DecodeChord(Message& message);
  bool DecodeInput(Message& message);
  bool DecodeKey(Message& message, ForwardedKey* key) const;
  bool DecodeBox(Message& message);
};
