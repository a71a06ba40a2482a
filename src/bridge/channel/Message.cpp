#include "Message.h"

#include <string.h>

namespace {

void Store32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t Load32(const unsigned char* at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
  return value;
}

}  // namespace

bool Message::PutInt(int32_t value) {
  unsigned char bytes[4];
  Store32(bytes, static_cast<uint32_t>(value));
  return PutBytes(bytes, sizeof bytes);
}

bool Message::PutBytes(const void* data, uint32_t length) {
  if (length > kMaxPayload - size) return false;
  if (length > 0) memcpy(payload + size, data, length);
  size += length;
  return true;
}

bool Message::PutString(const char* text) {
  return PutBytes(text, static_cast<uint32_t>(strnlen(text, kMaxPayload)) + 1);
}

bool Message::GetInt(int32_t* value) {
  unsigned char bytes[4];
  if (!GetBytes(bytes, sizeof bytes)) return false;
  *value = static_cast<int32_t>(Load32(bytes));
  return true;
}

bool Message::GetBytes(void* data, uint32_t length) {
  if (length > size - readAt) return false;
  if (length > 0) memcpy(data, payload + readAt, length);
  readAt += length;
  return true;
}

bool Message::GetString(const char** text) {
  const void* end = memchr(payload + readAt, 0, size - readAt);
  if (!end) return false;
  *text = reinterpret_cast<const char*>(payload + readAt);
  readAt = static_cast<uint32_t>(static_cast<const unsigned char*>(end) - payload) + 1;
  return true;
}

void Message::WriteHeader(unsigned char* header) const {
  Store32(header, static_cast<uint32_t>(kind));
  Store32(header + 4, size);
}

bool Message::ReadHeader(const unsigned char* header) {
  uint32_t length = Load32(header + 4);
  if (length > kMaxPayload) return false;
  kind = static_cast<MessageKind>(Load32(header));
  size = length;
  readAt = 0;
  return true;
}
