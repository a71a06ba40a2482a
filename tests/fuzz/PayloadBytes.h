// A message's payload read straight from its bytes as the layout in
// src/bridge/channel/Message.h describes it, apart from Message's own reading:
// little-endian 32-bit words and NUL-terminated texts, in order.
#pragma once

#include <stdint.h>
#include <string.h>

struct PayloadBytes {
  const unsigned char* data;
  uint32_t size;
  uint32_t at = 0;

  static uint32_t Le32(const unsigned char* bytes) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
  }
  bool Word(uint32_t* value) {
    if (size - at < 4) return false;
    *value = Le32(data + at);
    at += 4;
    return true;
  }
  bool Text(const char** text) {
    const void* end = memchr(data + at, 0, size - at);
    if (!end) return false;
    *text = reinterpret_cast<const char*>(data + at);
    at = static_cast<uint32_t>(static_cast<const unsigned char*>(end) - data) + 1;
    return true;
  }
  bool Skip(uint32_t n) {
    if (size - at < n) return false;
    at += n;
    return true;
  }
  bool End() const { return at == size; }
};
