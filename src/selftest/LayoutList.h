// The keyboard layouts to check: those installed for the user, or those whose
// KLIDs (eight hex digits, as in the registry) the command line names. Layouts
// loaded only for the self-test are unloaded again at the end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Layout {
  HKL handle;
  // As asked on the command line; empty for an installed layout until it is
  // activated, when Windows names it.
  std::string klid;
  bool loadedHere;
};

class LayoutList {
 public:
  // False, with the reason printed, for a malformed KLID or none installed.
  bool Collect(int count, char** klids);
  std::vector<Layout>& All() { return layouts; }
  // Unloads the layouts it loaded.
  void UnloadAdded();
  // The layout's name from the registry, or "?".
  static std::string Name(const std::string& klid);

 private:
  bool Installed(HKL handle) const;

  std::vector<HKL> installed;
  std::vector<Layout> layouts;
};
