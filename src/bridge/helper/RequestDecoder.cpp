#include "RequestDecoder.h"

#include <string.h>

bool RequestDecoder::Decode(Message& message) {
  kind = message.Kind();
  settings = nullptr;
  cells = nullptr;
  switch (kind) {
    case MessageKind::kInit:
      return DecodeInit(message);
    case MessageKind::kDisplay:
    case MessageKind::kDisplayStatus:
      return DecodeCells(message);
    case MessageKind::kSleep:
      return message.GetInt(&flag) && message.AtEnd();
    case MessageKind::kTimer:
      return GetFlag(message, &capsLock) && message.AtEnd();
    case MessageKind::kCallbackDone:
    case MessageKind::kInputDone:
    case MessageKind::kMessageBoxDone:
      return message.GetInt(&answer) && message.AtEnd();
    case MessageKind::kTerminate:
    case MessageKind::kClear:
    case MessageKind::kRefresh:
    case MessageKind::kPing:
      return message.AtEnd();
    default:
      return false;
  }
}

bool RequestDecoder::DecodeInit(Message& message) {
  bool hasSettings = false;
  if (!GetFlag(message, &hasSettings) || !GetFlag(message, &callback)) return false;
  if (hasSettings &&
      (!message.GetString(&settings) || strlen(settings) >= DriverLimits::kSettingsSize)) {
    return false;
  }
  return message.AtEnd();
}

bool RequestDecoder::DecodeCells(Message& message) {
  bool hasCells = false;
  if (!message.GetInt(&count) || !GetFlag(message, &hasCells)) return false;
  uint32_t n = hasCells && count > 0 ? static_cast<uint32_t>(count) : 0;
  if (n > sizeof row) n = sizeof row;
  memset(row, 0, sizeof row);
  if (!message.GetBytes(row, n) || !message.AtEnd()) return false;
  cells = hasCells ? row : nullptr;
  return true;
}

bool RequestDecoder::GetFlag(Message& message, bool* value) {
  int32_t flag = 0;
  if (!message.GetInt(&flag) || (flag != 0 && flag != 1)) return false;
  *value = flag != 0;
  return true;
}
