#include "TypingPlan.h"

#include "DeadKeyTable.h"

TypingPlan TypingPlan::For(unsigned char ch) {
  KeyboardLayout layout = KeyboardLayout::Foreground();
  TypingPlan plan;
  plan.planned = true;
  plan.layout = layout.Handle();
  const char* sequence = DeadKeyTable::Sequence(ch);
  SHORT deadKey = sequence ? layout.DeadKeyFor(static_cast<unsigned char>(sequence[0])) : -1;
  if (deadKey != -1) {
    plan.accented = true;
    plan.accent = StrokeOf(deadKey);
    plan.key = StrokeFor(layout, static_cast<unsigned char>(sequence[1]));
  } else {
    plan.key = StrokeFor(layout, ch);
    // An accent whose only key is dead would wait for the next letter and combine
    // with it: the dead key then a space types the accent itself.
    if (plan.key.vk &&
        layout.IsDeadKey(static_cast<SHORT>(plan.key.shiftState << 8 | plan.key.vk))) {
      plan.accented = true;
      plan.accent = plan.key;
      plan.key = StrokeFor(layout, ' ');
    }
  }
  return plan;
}

void TypingPlan::Press() const {
  Keystrokes keys{KeyboardLayout(layout)};
  if (accented) {
    keys.Press(accent);
    keys.Release(accent);
  }
  keys.Press(key);
}

void TypingPlan::Release() const {
  Keystrokes{KeyboardLayout(layout)}.Release(key);
}

bool TypingPlan::operator==(const TypingPlan& other) const {
  return planned == other.planned && layout == other.layout && accented == other.accented &&
         (!accented || Same(accent, other.accent)) && Same(key, other.key);
}

bool TypingPlan::Same(const Stroke& a, const Stroke& b) {
  return a.vk == b.vk && a.shiftState == b.shiftState && a.unicode == b.unicode;
}

Stroke TypingPlan::StrokeOf(SHORT key) {
  Stroke stroke = Stroke();
  stroke.vk = static_cast<BYTE>(key & 0xFF);
  stroke.shiftState = static_cast<BYTE>((key >> 8) & 0xFF);
  return stroke;
}

Stroke TypingPlan::StrokeFor(const KeyboardLayout& layout, unsigned char ch) {
  SHORT key = layout.KeyFor(ch);
  if (key != -1) return StrokeOf(key);
  // No key on this layout: typed as the character itself.
  Stroke stroke = Stroke();
  CHAR narrow = static_cast<CHAR>(ch);
  if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &stroke.unicode, 1) != 1) stroke.unicode = 0;
  return stroke;
}
