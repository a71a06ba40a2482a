#include "SelfTestReport.h"

#include <stdio.h>

#include "SystemFacts.h"

namespace {

const char kSendTo[] =
    "Please send all of this output, as it is, to whoever gave you the driver,\n"
    "and say which screen reader you use.";
const char kUnderWine[] =
    "Under Wine: the self-test sets Caps Lock on the driver's thread (Wine does\n"
    "not pass it to a thread without windows): whether the driver follows Caps\n"
    "Lock is not checked.";
const char kLogHint[] =
    "For the details support needs, run it again after 'set BRLVELT_LOG=1' in this\n"
    "prompt, and send %LOCALAPPDATA%\\brlvelt\\brlvelt.log as well.";

}  // namespace

void SelfTestReport::PrintHeader(bool bridge, const TypingSample& sample) {
  start = GetTickCount();
  const char* route = sizeof(void*) == 8 ? "x86-64, in this process" : "i686, in this process";
  if (bridge) route = "x86-64, through the bridge and its helper";
  printf(
      "brlvelt-selftest %s, %s\n"
      "Types %d characters and %d sentences through the driver into a window of its own,\n"
      "on each keyboard layout with Caps Lock off and then on. It takes the focus and\n"
      "toggles Caps Lock for a moment: please leave the keyboard and mouse alone until\n"
      "it has finished.\n\n",
      BRLVELT_VERSION, route, sample.Characters(), sample.Sentences());
}

void SelfTestReport::PrintLine(const Layout& layout, bool capsLock, const std::string& text) const {
  std::string klid = layout.klid.empty() ? "--------" : layout.klid;
  printf("%s  Caps Lock %-3s  %-30.30s  %s\n", klid.c_str(), capsLock ? "on" : "off",
         LayoutList::Name(klid).c_str(), text.c_str());
  fflush(stdout);
}

void SelfTestReport::PrintFooter(const std::string& verdict, const std::string& notRestored,
                                 bool allRight) const {
  printf("\n%s, ANSI code page %u\n%s\n", SystemFacts::WindowsVersion().c_str(), GetACP(),
         SystemFacts::ShiftLockSetting().c_str());
  if (SystemFacts::UnderWine()) printf("%s\n", kUnderWine);
  printf("Took %.1f s. Result: %s.\n", (GetTickCount() - start) / 1000.0, verdict.c_str());
  if (!notRestored.empty()) printf("Could not put back:%s\n", notRestored.c_str());
  printf("%s\n", kSendTo);
  if (!allRight) printf("%s\n", kLogHint);
  fflush(stdout);
}
