// Arbitrary byte streams as the bridge reads them from its helper: message after
// message, each header then its payload, decoded as the bridge does. Each
// header and message is also judged by a reading of the layout written down in
// src/bridge/channel/Message.h, straight from the bytes, with the numbers it gives
// rather than the decoders' constants, and the two must agree: a header is taken exactly
// when its size fits the payload buffer, a message is accepted exactly when the
// helper may send it, and an accepted one carries the fields its bytes hold.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "../../src/bridge/HelperMessage.h"
#include "KeyState.h"
#include "PayloadBytes.h"

namespace {

// What the decoder made of a message it accepted; null for one it rejected.
const HelperMessage* accepted = nullptr;

// For an accepted message: a field as its bytes hold it.
void Field(bool same, const char* what) {
  if (accepted) Require(same, what);
}

// A message box's type as shown: buttons (0xF), icon (0xF0), default button
// (0xF00), modality (0x3000), help button (0x4000), MB_SETFOREGROUND (0x10000)
// and MB_TOPMOST (0x40000); any other bit is dropped.
const uint32_t kShownBoxType = 0xF | 0xF0 | 0xF00 | 0x3000 | 0x4000 | 0x10000 | 0x40000;

// keybd_event: a virtual key and a scan code of 0-255, extended or not; SendInput: Unicode input of
// one code unit, virtual key 0. Up or down.
bool KeyAllowed(uint32_t how, uint32_t vk, uint32_t scan, uint32_t flags) {
  uint32_t kind = flags & ~2u;
  if (how == 0) return vk <= 255 && scan <= 255 && (kind == 0 || kind == 1);
  return vk == 0 && scan <= 0xFFFF && kind == 4;
}

bool Keys(PayloadBytes& in, const HelperMessage& decoded, uint32_t how, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t vk = 0, scan = 0, flags = 0;
    if (!in.Word(&vk) || !in.Word(&scan) || !in.Word(&flags)) return false;
    if (!KeyAllowed(how, vk, scan, flags)) return false;
    const ForwardedKey& key = decoded.inputs[i];
    Field(key.vk == vk && key.scan == scan && key.flags == flags, "keystroke as sent");
  }
  return in.End();
}

// 0 keybd_event, one key; 1 SendInput, 1 to 64 keys.
bool Input(PayloadBytes& in, const HelperMessage& decoded) {
  uint32_t how = 0, count = 0;
  if (!in.Word(&how) || !in.Word(&count) || how > 1) return false;
  if (count < 1 || count > 64 || (how == 0 && count != 1)) return false;
  Field(
      decoded.call == static_cast<InputCall>(how) && decoded.inputCount == static_cast<int>(count),
      "keystroke call and count as sent");
  return Keys(in, decoded, how, count);
}

// Whether the helper may send the message, judged from its bytes alone.
bool Allowed(const Message& message, const HelperMessage& decoded) {
  PayloadBytes in{message.Payload(), message.Size()};
  uint32_t a = 0, b = 0;
  const char* text = nullptr;
  const char* caption = nullptr;
  switch (static_cast<uint32_t>(message.Kind())) {
    case 0x100:  // ready
      return in.End();
    case 0x101:  // failed: the file it could not load
      if (!in.Text(&text) || !in.End()) return false;
      Field(decoded.text == text, "file name as sent");
      return true;
    case 0x102:  // an export's result
      if (!in.Word(&a) || !in.End()) return false;
      Field(decoded.result == static_cast<int32_t>(a), "result as sent");
      return true;
    case 0x103:  // a chord: its code has bit 31 set
      if (!in.Word(&a) || !in.Word(&b) || !in.End() || !(a & 0x80000000u)) return false;
      Field(static_cast<uint32_t>(decoded.code) == a && static_cast<uint32_t>(decoded.param) == b,
            "chord as sent");
      return true;
    case 0x104:  // keystrokes
      return Input(in, decoded);
    case 0x105:  // a message box: any type, its text, its caption
      if (!in.Word(&a) || !in.Text(&text) || !in.Text(&caption) || !in.End()) return false;
      Field(decoded.boxType == (a & kShownBoxType) && decoded.text == text &&
                decoded.caption == caption,
            "message box as sent");
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  while (size >= 8) {
    Message message;
    bool taken = message.ReadHeader(data);
    Require(taken == (PayloadBytes::Le32(data + 4) <= 2048), "a header is taken when it fits");
    if (!taken) return 0;
    Require(static_cast<uint32_t>(message.Kind()) == PayloadBytes::Le32(data) &&
                message.Size() == PayloadBytes::Le32(data + 4),
            "a header is read as sent");
    data += 8;
    size -= 8;
    if (message.Size() > size) return 0;
    memcpy(message.Payload(), data, message.Size());
    data += message.Size();
    size -= message.Size();
    HelperMessage decoded;
    accepted = decoded.Decode(message) ? &decoded : nullptr;
    Require((accepted != nullptr) == Allowed(message, decoded),
            "accepted exactly what the helper may send");
    Field(decoded.kind == message.Kind(), "kind as sent");
  }
  return 0;
}
