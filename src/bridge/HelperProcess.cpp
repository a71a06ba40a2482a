#include "HelperProcess.h"

#include <bcrypt.h>
#include <stdio.h>
#include <wchar.h>

namespace {

const wchar_t kHelper[] = L"brlvelthost\\brlvelthost.exe";

// An address inside this module, to find the module's own file.
void Anchor() {}

}  // namespace

HelperProcess::~HelperProcess() {
  Stop(2000);
}

bool HelperProcess::Start() {
  Stop(0);
  HANDLE helperEnd = nullptr;
  if (!Locate() || !OpenPipe(&helperEnd)) return false;
  bool started = Launch(helperEnd);
  CloseHandle(helperEnd);
  if (!started) Stop(0);
  return started;
}

void HelperProcess::Stop(DWORD graceMs) {
  channel.Close();
  if (process) {
    // Ended for good before the next helper starts, which may open the device.
    if (WaitForSingleObject(process, graceMs) != WAIT_OBJECT_0) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 1000);
    }
    CloseHandle(process);
  }
  if (job) CloseHandle(job);
  process = nullptr;
  job = nullptr;
}

// The helper's path from this module's own file, never from the current
// folder or the search path.
bool HelperProcess::Locate() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&Anchor), &self)) {
    return false;
  }
  DWORD length = GetModuleFileNameW(self, path, kPathSize);
  wchar_t* name = wcsrchr(path, L'\\');
  if (length == 0 || length >= kPathSize || !name) return false;
  if (static_cast<size_t>(name + 1 - path) + wcslen(kHelper) >= static_cast<size_t>(kPathSize)) {
    return false;
  }
  wcscpy(name + 1, kHelper);
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// A pipe of one instance under a random name, connected at once to an
// inheritable handle for the helper: no other process can open it.
bool HelperProcess::OpenPipe(HANDLE* helperEnd) {
  unsigned char nonce[16];
  if (BCryptGenRandom(nullptr, nonce, sizeof nonce, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
    return false;
  }
  wchar_t name[80];
  int at = swprintf(name, 80, L"\\\\.\\pipe\\brlvelt-%lu-", GetCurrentProcessId());
  for (unsigned char byte : nonce) at += swprintf(name + at, 80 - at, L"%02x", byte);
  HANDLE server = CreateNamedPipeW(
      name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 65536, 65536,
      0, nullptr);
  if (server == INVALID_HANDLE_VALUE) return false;
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE client = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, &inherited, OPEN_EXISTING,
                              SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
  if (client == INVALID_HANDLE_VALUE || !channel.Attach(server, true)) {
    if (client != INVALID_HANDLE_VALUE)
      CloseHandle(client);
    else
      CloseHandle(server);
    return false;
  }
  *helperEnd = client;
  return true;
}

// Started suspended, so that it is in the job before it runs; it inherits only
// its end of the pipe, and the host's current folder.
bool HelperProcess::Launch(HANDLE helperEnd) {
  wchar_t commandLine[kPathSize + 32];
  swprintf(commandLine, kPathSize + 32, L"\"%ls\" %lu", path,
           static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(helperEnd)));
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  alignas(8) unsigned char storage[256];
  LPPROC_THREAD_ATTRIBUTE_LIST list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage);
  if (size > sizeof storage || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return false;
  STARTUPINFOEXW startup = {};
  startup.StartupInfo.cb = sizeof startup;
  startup.lpAttributeList = list;
  PROCESS_INFORMATION started = {};
  BOOL ok = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &helperEnd,
                                      sizeof helperEnd, nullptr, nullptr) &&
            CreateProcessW(path, commandLine, nullptr, nullptr, TRUE,
                           CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                           &startup.StartupInfo, &started);
  DeleteProcThreadAttributeList(list);
  if (!ok) return false;
  BindToHost(started.hProcess);
  ResumeThread(started.hThread);
  CloseHandle(started.hThread);
  process = started.hProcess;
  return true;
}

// Killed with the host: the job ends its processes when its last handle, the
// host's, closes. Where the job cannot be had, the helper still ends when the
// pipe closes.
void HelperProcess::BindToHost(HANDLE started) {
  job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job &&
      SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) &&
      AssignProcessToJobObject(job, started)) {
    return;
  }
  if (job) CloseHandle(job);
  job = nullptr;
}
