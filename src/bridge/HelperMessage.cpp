#include "HelperMessage.h"

namespace {

// Keystroke flags (KEYEVENTF_*).
const uint32_t kExtended = 0x0001;
const uint32_t kUp = 0x0002;
const uint32_t kUnicode = 0x0004;

// Buttons, icon, default button, modality, help button, MB_SETFOREGROUND
// (0x10000) and MB_TOPMOST (0x40000); nothing that moves the box off the user's
// desktop. Without windows.h, so that the fuzz target builds natively.
const uint32_t kBoxTypes = 0x7FFF | 0x10000 | 0x40000;

}  // namespace

bool HelperMessage::Decode(Message& message) {
  kind = message.Kind();
  switch (kind) {
    case MessageKind::kReady:
      return message.AtEnd();
    case MessageKind::kFailed:
      return message.GetString(&text) && message.AtEnd();
    case MessageKind::kResult:
      return message.GetInt(&result) && message.AtEnd();
    case MessageKind::kChord:
      return DecodeChord(message);
    case MessageKind::kInput:
      return DecodeInput(message);
    case MessageKind::kMessageBox:
      return DecodeBox(message);
    default:
      return false;
  }
}

// A chord code always has its top bit set.
bool HelperMessage::DecodeChord(Message& message) {
  return message.GetInt(&code) && message.GetInt(&param) && message.AtEnd() &&
         (static_cast<uint32_t>(code) & 0x80000000u) != 0;
}

// keybd_event sends one key of byte-sized codes; SendInput up to Message::kMaxInputs.
bool HelperMessage::DecodeInput(Message& message) {
  int32_t how = 0, count = 0;
  if (!message.GetInt(&how) || !message.GetInt(&count)) return false;
  if (how != kKeybdEvent && how != kSendInput) return false;
  call = static_cast<InputCall>(how);
  if (count < 1 || count > Message::kMaxInputs || (call == kKeybdEvent && count != 1)) return false;
  inputCount = count;
  for (int i = 0; i < count; ++i) {
    if (!DecodeKey(message, &inputs[i])) return false;
  }
  return message.AtEnd();
}

// Only what the driver sends: through keybd_event, any virtual key (the display
// may name any) with its scan code, down or up, extended or not; through
// SendInput, a UTF-16 code unit as Unicode input, down or up.
bool HelperMessage::DecodeKey(Message& message, ForwardedKey* key) const {
  int32_t vk = 0, scan = 0, flags = 0;
  if (!message.GetInt(&vk) || !message.GetInt(&scan) || !message.GetInt(&flags)) return false;
  uint32_t limit = call == kKeybdEvent ? 0xFF : 0xFFFF;
  if (static_cast<uint32_t>(vk) > limit || static_cast<uint32_t>(scan) > limit) return false;
  uint32_t kind = static_cast<uint32_t>(flags) & ~kUp;
  bool allowed = call == kKeybdEvent ? kind == 0 || kind == kExtended : vk == 0 && kind == kUnicode;
  if (!allowed) return false;
  *key = {static_cast<uint16_t>(vk), static_cast<uint16_t>(scan), static_cast<uint32_t>(flags)};
  return true;
}

bool HelperMessage::DecodeBox(Message& message) {
  int32_t type = 0;
  if (!message.GetInt(&type)) return false;
  boxType = static_cast<uint32_t>(type) & kBoxTypes;
  return message.GetString(&text) && message.GetString(&caption) && message.AtEnd();
}
