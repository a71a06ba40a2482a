// Arbitrary byte streams as the bridge reads them from its helper: message after
// message, each header then its payload, decoded as the bridge does. Checks
// that what the decoder accepts is what the bridge may act on: keystrokes in
// range, texts that end inside the payload, chord codes with bit 31.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "../../src/bridge/HelperMessage.h"
#include "KeyState.h"

namespace {

bool Inside(const Message& message, const char* text) {
  const char* start = reinterpret_cast<const char*>(message.Payload());
  return text >= start && text < start + message.Size() &&
         memchr(text, 0, start + message.Size() - text) != nullptr;
}

void CheckAccepted(const Message& message, const HelperMessage& decoded) {
  switch (decoded.kind) {
    case MessageKind::kChord:
      Require((static_cast<uint32_t>(decoded.code) & 0x80000000u) != 0, "chord code has bit 31");
      break;
    case MessageKind::kInput:
      Require(decoded.inputCount >= 1 && decoded.inputCount <= Message::kMaxInputs,
              "keystroke count in range");
      Require(
          decoded.call == kSendInput || (decoded.inputCount == 1 && decoded.inputs[0].vk <= 0xFF),
          "keybd_event gets one byte-sized key");
      break;
    case MessageKind::kMessageBox:
      Require(Inside(message, decoded.text) && Inside(message, decoded.caption),
              "box texts end inside the payload");
      break;
    case MessageKind::kFailed:
      Require(Inside(message, decoded.text), "file name ends inside the payload");
      break;
    case MessageKind::kReady:
    case MessageKind::kResult:
      break;
    default:
      Require(false, "only the helper's kinds are accepted");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  while (size >= Message::kHeaderSize) {
    Message message;
    if (!message.ReadHeader(data)) return 0;
    data += Message::kHeaderSize;
    size -= Message::kHeaderSize;
    Require(message.Size() <= Message::kMaxPayload, "payload within its buffer");
    if (message.Size() > size) return 0;
    memcpy(message.Payload(), data, message.Size());
    data += message.Size();
    size -= message.Size();
    HelperMessage decoded;
    if (decoded.Decode(message)) CheckAccepted(message, decoded);
  }
  return 0;
}
