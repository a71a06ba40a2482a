#include "Layout.h"

#include "WindowsLayouts.h"

namespace fake {

namespace {

struct CommonKey {
  BYTE scan;
  BYTE vk;
  WCHAR ch;  // the same without modifier and with Shift
};

const CommonKey kCommonKeys[] = {
    {0x39, VK_SPACE, ' '},   {0x1C, VK_RETURN, '\r'}, {0x0F, VK_TAB, '\t'},  {0x0E, VK_BACK, '\b'},
    {0x01, VK_ESCAPE, 0x1B}, {0x2A, VK_SHIFT, 0},     {0x1D, VK_CONTROL, 0}, {0x38, VK_MENU, 0},
    {0x3A, VK_CAPITAL, 0},   {0x4B, VK_LEFT, 0},      {0x48, VK_UP, 0},      {0x4D, VK_RIGHT, 0},
    {0x50, VK_DOWN, 0},      {0x47, VK_HOME, 0},      {0x4F, VK_END, 0},     {0x49, VK_PRIOR, 0},
    {0x51, VK_NEXT, 0},      {0x52, VK_INSERT, 0},    {0x53, VK_DELETE, 0}};

std::map<HKL, const Layout*>& Installed() {
  static auto* installed = new std::map<HKL, const Layout*>();  // never destroyed
  return *installed;
}

}  // namespace

Layout::Layout() {
  for (const CommonKey& common : kCommonKeys) {
    LayoutKey key;
    key.scan = common.scan;
    key.vk = common.vk;
    for (int caps = 0; caps < 2; ++caps) {
      key.chars[caps][kNormal] = key.chars[caps][kShift] = common.ch;
    }
    keys.push_back(key);
  }
}

const LayoutKey* Layout::Key(UINT vk) const {
  for (const LayoutKey& key : keys) {
    if (key.vk == vk) return &key;
  }
  return nullptr;
}

WCHAR Layout::Compose(WCHAR accent, WCHAR next) const {
  auto found = compositions.find({accent, next});
  if (found != compositions.end()) return found->second;
  return next == ' ' ? accent : 0;
}

HKL Layout::Install(Layout* layout) {
  // Handles of the form Windows gives layouts it loads from elsewhere, counting up.
  static uintptr_t next = 0xE0010000;
  HKL handle = reinterpret_cast<HKL>(next++);
  Install(handle, layout);
  return handle;
}

void Layout::Install(HKL handle, Layout* layout) {
  Installed()[handle] = layout;
}

const Layout* Layout::Find(HKL handle) {
  WindowsLayouts::InstallOnce();
  auto found = Installed().find(handle);
  return found == Installed().end() ? nullptr : found->second;
}

}  // namespace fake
