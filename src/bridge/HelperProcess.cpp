#include "HelperProcess.h"

#include <bcrypt.h>
#include <stdio.h>
#include <wchar.h>

#include "../shared/log/Log.h"
#include "../shared/log/LogLine.h"
#include "PipeSecurity.h"
#include "channel/HostWait.h"

namespace {

// An address inside this module, to find the module's own file.
void Anchor() {}

}  // namespace

HelperProcess::HelperProcess() {
  wcscpy(path, InstalledFiles::kHelper);
}

HelperProcess::~HelperProcess() {
  StopAtUnload();
}

HelperProcess::Started HelperProcess::Start() {
  Stop(0);
  ++generation;
  wchar_t name[80];
  Started started = !Locate()             ? Started::kCannotRun
                    : !OpenPipe(name, 80) ? Started::kNoChannel
                    : !Launch(name)       ? Started::kCannotRun
                                          : Started::kYes;
  DWORD error = GetLastError();
  if (started != Started::kYes) Stop(0);
  if (Log::On()) LogStart(started, error);
  return started;
}

bool HelperProcess::Connect(ULONGLONG deadline) {
  ULONG client = 0;
  return channel.Accept(process, deadline) &&
         GetNamedPipeClientProcessId(channel.Handle(), &client) && client == GetProcessId(process);
}

bool HelperProcess::Alive() const {
  return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

namespace {

DWORD WaitForEnd(HANDLE process, DWORD ms, bool handleMessages) {
  return handleMessages ? HostWait::Until(1, &process, GetTickCount64() + ms)
                        : WaitForSingleObject(process, ms);
}

}  // namespace

// The handles are let go of before the wait, so that no call made from a
// message handled meanwhile closes them again.
void HelperProcess::Finish(DWORD graceMs, DWORD endMs, bool handleMessages) {
  HANDLE ending = process, bound = job;
  process = nullptr;
  job = nullptr;
  channel.Close();
  if (ending) {
    // Ended for good before the next helper starts, which may open the device.
    bool ended = WaitForEnd(ending, graceMs, handleMessages) == WAIT_OBJECT_0;
    if (!ended) {
      TerminateProcess(ending, 1);
      WaitForEnd(ending, endMs, handleMessages);
    }
    if (Log::On()) LogEnd(ending, ended);
    CloseHandle(ending);
  }
  if (bound) CloseHandle(bound);
}

// The helper beside this module's own file. Path() names it whether or not it
// is found: in full, or as relative to the bridge's folder where that folder
// cannot be told.
bool HelperProcess::Locate() {
  HMODULE self = nullptr;
  bool placed = GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                       GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(&Anchor), &self) &&
                InstalledFiles::Beside(self, InstalledFiles::kHelper, path, kPathSize);
  if (!placed) wcscpy(path, InstalledFiles::kHelper);
  return placed && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// A pipe of one instance under a random name, for the current user only and
// local clients only.
bool HelperProcess::OpenPipe(wchar_t* name, int size) {
  unsigned char nonce[16];
  PipeSecurity security;
  if (BCryptGenRandom(nullptr, nonce, sizeof nonce, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0 ||
      !security.Build()) {
    return false;
  }
  int at = swprintf(name, size, L"\\\\.\\pipe\\brlvelt-%lu-", GetCurrentProcessId());
  for (unsigned char byte : nonce) at += swprintf(name + at, size - at, L"%02x", byte);
  HANDLE server = CreateNamedPipeW(
      name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 65536, 65536,
      0, security.Attributes());
  return server != INVALID_HANDLE_VALUE && channel.Attach(server, true);
}

// Started suspended, so that it is in the job before it runs; it inherits no
// handle, and keeps the host's current folder.
bool HelperProcess::Launch(const wchar_t* pipeName) {
  wchar_t commandLine[kPathSize + 100];
  swprintf(commandLine, kPathSize + 100, L"\"%ls\" %ls", path, pipeName);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  // The file is there (Locate saw it), so a failure to start it may be
  // passing: try again briefly before telling the user it cannot be loaded.
  int tries = 0;
  while (!CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                         nullptr, &startup, &started)) {
    if (++tries == kStartTries) return false;
    HostWait::Until(0, nullptr, GetTickCount64() + kRetryMs);
  }
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

void HelperProcess::LogStart(Started started, DWORD error) const {
  LogLine line;
  if (started == Started::kYes) {
    line.Text("helper started, process ").Number(static_cast<long>(GetProcessId(process)));
  } else {
    line.Text(started == Started::kNoChannel ? "helper not started, no pipe: error "
                                             : "helper not started: error ");
    line.Number(static_cast<long>(error));
  }
  line.Text(", ").Quoted(path);
}

// Exit codes above 0xC0000000 are the exceptions that ended a crashed helper.
void HelperProcess::LogEnd(HANDLE ending, bool ended) {
  DWORD code = 0;
  LogLine line;
  line.Text(ended ? "helper ended, exit code " : "helper ended by the bridge, exit code ");
  if (GetExitCodeProcess(ending, &code)) {
    line.Hex(code);
  } else {
    line.Text("unknown");
  }
}
