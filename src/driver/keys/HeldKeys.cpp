#include "HeldKeys.h"

namespace {

TypingPlan characters[256];
bool virtualKeys[256];

}  // namespace

TypingPlan& HeldKeys::Character(unsigned char ch) {
  return characters[ch];
}

bool& HeldKeys::VirtualKey(BYTE vk) {
  return virtualKeys[vk];
}
