// The stand-in's files, folders and environment, for the log: whole files in
// memory by full path, a disk that can be full or read-only.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>

namespace fake {

struct FileSystem {
  std::map<std::wstring, std::string> files;
  std::set<std::wstring> folders;
  std::map<std::wstring, std::wstring> environment;
  bool readOnly = false;   // creating, moving and opening files are denied
  size_t room = SIZE_MAX;  // bytes the disk still takes
  DWORD processId = 0x1234;
  std::map<HANDLE, std::wstring> handles;  // open files, following them when moved
  uintptr_t nextHandle = 0xF000;
};

FileSystem& files();

// For WriteFile and CloseHandle: whether a handle is an open file of this file
// system, an append to it, and its closing.
bool IsFile(HANDLE handle);
BOOL FileWrite(HANDLE handle, const void* buffer, DWORD length, LPDWORD written);
void FileClose(HANDLE handle);

}  // namespace fake
