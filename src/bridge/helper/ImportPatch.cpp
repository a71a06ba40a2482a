#include "ImportPatch.h"

#include <string.h>

bool ImportPatch::Apply(HMODULE module, const char* dll, const char* function, void* replacement) {
  unsigned char* base = reinterpret_cast<unsigned char*>(module);
  const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (!module || dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
  const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress) return false;
  const IMAGE_IMPORT_DESCRIPTOR* entry =
      reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
  for (; entry->Name; ++entry) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
    if (!entry->OriginalFirstThunk) continue;
    const IMAGE_THUNK_DATA* names =
        reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
    IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const IMAGE_IMPORT_BY_NAME* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
        return Write(reinterpret_cast<ULONG_PTR*>(&slots->u1.Function), replacement);
      }
    }
  }
  return false;
}

bool ImportPatch::Write(ULONG_PTR* slot, void* replacement) {
  DWORD was = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was)) return false;
  *slot = reinterpret_cast<ULONG_PTR>(replacement);
  VirtualProtect(slot, sizeof *slot, was, &was);
  return true;
}
