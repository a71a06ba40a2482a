#include "Keyboard.h"

#include "../../shared/facts/WindowsSettings.h"
#include "../../shared/log/Log.h"
#include "HeldKeys.h"

void Keyboard::TypeCharacter(unsigned char ch, int down) {
  TypingPlan& held = HeldKeys::Character(ch);
  if (down == 1) {
    TypingPlan plan = TypingPlan::For(ch);
    if (Log::On()) plan.LogRoute(ch);
    // Pressed again on another layout: let go of what the first press holds.
    if (held.Planned() && held != plan) held.Release();
    plan.Press();
    held = plan;
  } else if (held.Planned()) {
    held.Release();
    held = TypingPlan();
  } else {
    TypingPlan::For(ch).Release();
  }
}

void Keyboard::PressVirtualKey(BYTE vk) {
  Keystrokes::VirtualKey(vk, false);
  HeldKeys::VirtualKey(vk) = true;
}

void Keyboard::ReleaseVirtualKey(BYTE vk) {
  Keystrokes::VirtualKey(vk, true);
  HeldKeys::VirtualKey(vk) = false;
}

void Keyboard::EndSession() {
  for (int ch = 0; ch < 256; ++ch) {
    if (HeldKeys::Character(static_cast<unsigned char>(ch)).Planned()) {
      TypeCharacter(static_cast<unsigned char>(ch), 0);
    }
  }
  for (int vk = 0; vk < 256; ++vk) {
    if (HeldKeys::VirtualKey(static_cast<BYTE>(vk))) ReleaseVirtualKey(static_cast<BYTE>(vk));
  }
  WindowsSettings::Forget();
}
