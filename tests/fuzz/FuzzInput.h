// A fuzz input read as a stream of bytes; zeros once it runs out.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct FuzzInput {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool Done() const { return at >= size; }
  uint8_t Byte() { return at < size ? data[at++] : 0; }
};
