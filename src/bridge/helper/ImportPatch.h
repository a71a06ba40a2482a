// Sends a loaded module's calls of one imported function to a replacement, by
// rewriting the function's slot in the module's import address table.
#pragma once

#include <windows.h>

class ImportPatch {
 public:
  // False when the module does not import the function by name from the DLL.
  static bool Apply(HMODULE module, const char* dll, const char* function, void* replacement);

 private:
  static bool Write(ULONG_PTR* slot, void* replacement);
};
