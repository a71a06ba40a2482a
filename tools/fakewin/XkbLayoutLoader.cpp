// Layouts of the XKB keyboard database, compiled with libxkbcommon once per
// name and variant and installed as Windows would install them.
#include "XkbLayoutLoader.h"

#include <xkbcommon/xkbcommon.h>

#include <map>
#include <string>

#include "FakeWindows.h"
#include "Layout.h"
#include "XkbLayoutBuilder.h"

namespace fake {

namespace {

xkb_context* Context() {
  static xkb_context* context = [] {
    xkb_context* created = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (created) xkb_context_set_log_level(created, XKB_LOG_LEVEL_CRITICAL);
    return created;
  }();
  return context;
}

}  // namespace

HKL XkbLayoutLoader::Load(const char* layout, const char* variant) {
  static auto* loaded = new std::map<std::string, HKL>();  // never destroyed
  if (!layout || !Context()) return nullptr;
  std::string name = std::string(layout) + "(" + (variant ? variant : "") + ")";
  auto found = loaded->find(name);
  if (found != loaded->end()) return found->second;
  xkb_rule_names names = {"evdev", "pc105", layout, variant ? variant : "", ""};
  xkb_keymap* keymap = xkb_keymap_new_from_names(Context(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
  HKL handle = nullptr;
  if (keymap) {
    handle = Layout::Install(XkbLayoutBuilder(Context(), keymap).Build());
    xkb_keymap_unref(keymap);
  }
  (*loaded)[name] = handle;
  return handle;
}

HKL XkbLayout(const char* layout, const char* variant) {
  return XkbLayoutLoader::Load(layout, variant);
}

}  // namespace fake
