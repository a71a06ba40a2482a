#include "TypingPlan.h"

#include <stdint.h>

#include "../../shared/facts/KeyState.h"
#include "../../shared/log/Log.h"
#include "../../shared/log/LogLine.h"
#include "DeadKeyTable.h"
#include "LookedUpKey.h"

TypingPlan TypingPlan::For(unsigned char ch) {
  const KeyboardLayout& layout = KeyboardLayout::Foreground();
  bool capsLock = KeyState::CapsLockOn();
  TypingPlan plan;
  plan.planned = true;
  plan.layout = layout.Handle();
  plan.modifiers = layout.Modifiers();
  plan.route = kDeadKeyAndLetter;
  if (plan.ThroughDeadKey(layout, ch, capsLock)) return plan;
  CHAR narrow = static_cast<CHAR>(ch);
  WCHAR wide = 0;
  if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &wide, 1) != 1) wide = 0;
  bool control = ch < 0x20 || ch == 0x7F;
  plan.key = control ? ControlKey(layout, ch, capsLock) : layout.KeyFor(wide, capsLock);
  if (!control && !plan.key.vk && layout.LookupOnly()) {
    plan.key = LookedUpKey::For(ch, layout.Handle(), capsLock);
  }
  plan.route = control ? kControlKey : kKey;
  if (plan.key.vk) return plan;
  plan.route = kDeadKeyAndSpace;
  if (!control && plan.AccentAlone(layout, wide, capsLock)) return plan;
  // No key on this layout: typed as the character itself.
  plan.route = kUnicode;
  plan.key = {0, 0, 0, wide};
  return plan;
}

bool TypingPlan::ThroughDeadKey(const KeyboardLayout& layout, unsigned char ch, bool capsLock) {
  if (!layout.Composes(ch, capsLock)) return false;
  const char* sequence = DeadKeyTable::Sequence(ch);
  WCHAR wide[2] = {};
  if (MultiByteToWideChar(CP_ACP, 0, sequence, 2, wide, 2) != 2) return false;
  accent = layout.DeadKeyFor(wide[0], capsLock);
  key = layout.KeyFor(wide[1], capsLock);
  accented = accent.vk && key.vk;
  return accented;
}

// An accent whose only key is dead would wait for the next letter and combine
// with it: the dead key then a space types the accent itself, where the layout
// confirmed that it does.
bool TypingPlan::AccentAlone(const KeyboardLayout& layout, WCHAR ch, bool capsLock) {
  accent = layout.AccentKeyFor(ch, capsLock);
  key = layout.KeyFor(' ', capsLock);
  accented = accent.vk && key.vk;
  return accented;
}

// Control characters and DEL as VkKeyScan types them (Ctrl and a letter, Ctrl and
// Backspace); with Caps Lock on, not those that need Shift where Shift turns it off.
Stroke TypingPlan::ControlKey(const KeyboardLayout& layout, unsigned char ch, bool capsLock) {
  SHORT found = VkKeyScanExA(static_cast<CHAR>(ch), layout.Handle());
  bool shiftRefused = capsLock && layout.ShiftClearsCapsLock() && (found & 0x100);
  if ((found & 0xFF) == 0xFF || shiftRefused) return {};
  BYTE vk = static_cast<BYTE>(found & 0xFF);
  BYTE scan = static_cast<BYTE>(MapVirtualKeyExA(vk, MAPVK_VK_TO_VSC, layout.Handle()));
  return {vk, scan, static_cast<BYTE>((found >> 8) & 7), 0};
}

void TypingPlan::Press() const {
  Keystrokes keys(modifiers);
  if (accented) {
    keys.Press(accent);
    keys.Release(accent);
  }
  keys.Press(key);
}

void TypingPlan::Release() const {
  Keystrokes(modifiers).Release(key);
}

bool TypingPlan::operator==(const TypingPlan& other) const {
  return planned == other.planned && layout == other.layout && accented == other.accented &&
         (!accented || Same(accent, other.accent)) && Same(key, other.key);
}

bool TypingPlan::Same(const Stroke& a, const Stroke& b) {
  return a.vk == b.vk && a.scan == b.scan && a.shiftState == b.shiftState && a.unicode == b.unicode;
}

void TypingPlan::LogRoute(unsigned char ch) const {
  static const char* const kRoutes[] = {"Unicode input", "control key", "dead key and letter",
                                        "key", "dead key and space"};
  LogLine line;
  line.Text("character");
  if (Log::Typed()) line.Text(" ").Hex(ch);
  line.Text(": ").Text(kRoutes[route]).Text(", layout ");
  line.Hex(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(layout)), 8);
}
