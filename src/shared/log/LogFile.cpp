#include "LogFile.h"

WCHAR LogFile::folder[kPathSize];
WCHAR LogFile::path[kPathSize];
WCHAR LogFile::oldPath[kPathSize];

namespace {

// head followed by tail, within size; false when they do not fit.
bool Join(WCHAR* to, int size, const WCHAR* head, const WCHAR* tail) {
  const WCHAR* parts[] = {head, tail};
  int at = 0;
  for (const WCHAR* part : parts) {
    for (; *part; ++part) {
      if (at + 1 >= size) return false;
      to[at++] = *part;
    }
  }
  to[at] = 0;
  return true;
}

}  // namespace

bool LogFile::Locate() {
  WCHAR base[kPathSize];
  DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", base, kPathSize);
  if (length == 0 || length >= static_cast<DWORD>(kPathSize)) return false;
  return Join(folder, kPathSize, base, L"\\brlvelt") &&
         Join(path, kPathSize, folder, L"\\brlvelt.log") &&
         Join(oldPath, kPathSize, folder, L"\\brlvelt.old.log");
}

HANDLE LogFile::Open() {
  return CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The file, moved aside first when full. Two processes that find it full at
// once may both move it: the second then replaces the full old file with its
// own first line, and older lines are lost, but the bound holds. Where the file
// cannot be moved, lines are dropped until it can.
HANDLE LogFile::OpenBelowLimit() {
  HANDLE file = Open();
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND &&
      CreateDirectoryW(folder, nullptr)) {
    file = Open();
  }
  if (file == INVALID_HANDLE_VALUE || GetFileSize(file, nullptr) < kLimit) return file;
  CloseHandle(file);
  if (!MoveFileExW(path, oldPath, MOVEFILE_REPLACE_EXISTING)) return INVALID_HANDLE_VALUE;
  return Open();
}

void LogFile::Append(const char* text, DWORD length) {
  DWORD error = GetLastError();
  HANDLE file = OpenBelowLimit();
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, text, length, &written, nullptr);
    CloseHandle(file);
  }
  SetLastError(error);
}
