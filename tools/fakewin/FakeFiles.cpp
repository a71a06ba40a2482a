// Files, folders, environment variables, the local time and process identity
// as kernel32 gives them, for the log. Each call fails with the error Windows
// sets in its place: a missing folder, a read-only disk, a full one.
#include "FakeFiles.h"

#include "FakeWindows.h"

namespace fake {

FileSystem& files() {
  static FileSystem* state = new FileSystem();  // outlives static objects at exit
  return *state;
}

bool IsFile(HANDLE handle) {
  return files().handles.count(handle) != 0;
}

BOOL FileWrite(HANDLE handle, const void* buffer, DWORD length, LPDWORD written) {
  FileSystem& fs = files();
  *written = 0;
  if (length > fs.room) {
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  fs.room -= length;
  fs.files[fs.handles[handle]].append(static_cast<const char*>(buffer), length);
  *written = length;
  return TRUE;
}

void FileClose(HANDLE handle) {
  files().handles.erase(handle);
}

static std::string Narrow(LPCWSTR text) {
  std::string narrow;
  for (; *text; ++text) narrow += static_cast<char>(*text);
  return narrow;
}

static std::wstring Folder(const std::wstring& path) {
  size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

static BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace fake

using fake::files;

extern "C" {

DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
  auto found = files().environment.find(name);
  if (found == files().environment.end()) return fake::Fail(ERROR_ENVVAR_NOT_FOUND);
  const std::wstring& value = found->second;
  if (value.size() + 1 > size) return static_cast<DWORD>(value.size() + 1);
  value.copy(buffer, value.size());
  buffer[value.size()] = 0;
  return static_cast<DWORD>(value.size());
}

HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                          DWORD, HANDLE) {
  if (fake::Recording(__func__)) fake::Record("CreateFileW(\"" + fake::Narrow(name) + "\")");
  fake::FileSystem& fs = files();
  if (disposition != OPEN_ALWAYS) {
    fake::Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (!fs.folders.count(fake::Folder(name))) {
    fake::Fail(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  bool existed = fs.files.count(name) != 0;
  if (fs.readOnly) {
    fake::Fail(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  fs.files[name];
  HANDLE handle = reinterpret_cast<HANDLE>(fs.nextHandle++);
  fs.handles[handle] = name;
  SetLastError(existed ? ERROR_ALREADY_EXISTS : 0);
  return handle;
}

BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
  if (fake::Recording(__func__)) fake::Record("CreateDirectoryW(\"" + fake::Narrow(path) + "\")");
  fake::FileSystem& fs = files();
  if (fs.folders.count(path)) return fake::Fail(ERROR_ALREADY_EXISTS);
  if (!fs.folders.count(fake::Folder(path))) return fake::Fail(ERROR_PATH_NOT_FOUND);
  if (fs.readOnly) return fake::Fail(ERROR_ACCESS_DENIED);
  fs.folders.insert(path);
  return TRUE;
}

BOOL WINAPI MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (fake::Recording(__func__)) {
    fake::Record("MoveFileExW(\"" + fake::Narrow(from) + "\",\"" + fake::Narrow(to) + "\")");
  }
  fake::FileSystem& fs = files();
  if (!fs.files.count(from)) return fake::Fail(ERROR_FILE_NOT_FOUND);
  if (fs.files.count(to) && !(flags & MOVEFILE_REPLACE_EXISTING)) {
    return fake::Fail(ERROR_ALREADY_EXISTS);
  }
  // A folder in the way cannot be replaced.
  if (fs.readOnly || fs.folders.count(to)) return fake::Fail(ERROR_ACCESS_DENIED);
  fs.files[to] = fs.files[from];
  fs.files.erase(from);
  for (auto& open : fs.handles) {
    if (open.second == from) open.second = to;
  }
  return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  if (!fake::IsFile(file)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  if (sizeHigh) *sizeHigh = 0;
  return static_cast<DWORD>(files().files[files().handles[file]].size());
}

void WINAPI GetLocalTime(LPSYSTEMTIME time) {
  *time = {2026, 12, 3, 9, 9, 30, 5, 42};
}

DWORD WINAPI GetCurrentProcessId(void) {
  return files().processId;
}

DWORD WINAPI GetCurrentThreadId(void) {
  return fake::win().currentThread;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR path, DWORD size) {
  for (fake::Module& loaded : fake::win().modules) {
    if (loaded.references == 0 || reinterpret_cast<HMODULE>(&loaded) != module) continue;
    std::string full = "C:\\fake\\" + loaded.name;
    if (full.size() < size) {
      path[full.copy(path, full.size())] = 0;
      return static_cast<DWORD>(full.size());
    }
    // Truncated and terminated, as from Windows Vista on.
    if (size > 0) path[full.copy(path, size - 1)] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return 0;
}

}  // extern "C"
