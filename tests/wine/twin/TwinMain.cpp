// Twin runs: the same seeded sessions played against the driver in a host's
// own process and against the bridge, everything the host saw compared.
//   twin_host record FIRST COUNT FILE
//     plays sessions FIRST to FIRST+COUNT-1 against the brlvelt.dll beside this
//     program and writes their transcript to FILE;
//   twin_host twin INPROCESS_HOST FIRST COUNT
//     has INPROCESS_HOST (a twin_host beside the driver) record the sessions
//     into inprocess.txt while this one records them through the bridge beside
//     it into bridge.txt, both in the current folder, then compares the two.
//     Ends with "twin: N sessions, D differences, T s"; exit status 0 when
//     nothing differs.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "HostEpisode.h"
#include "SessionRunner.h"
#include "TranscriptCompare.h"

namespace {

bool Record(unsigned first, unsigned count, const char* path) {
  // The simulated display's complaints about malformed settings are expected.
  freopen("NUL", "w", stderr);
  FILE* file = fopen(path, "wb");
  if (!file) return false;
  wchar_t folder[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, folder, MAX_PATH);
  *wcsrchr(folder, L'\\') = 0;
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  Transcript transcript;
  SessionRunner runner(folder, &transcript);
  for (unsigned seed = first; seed - first < count; ++seed) {
    runner.Run(SessionPlan(seed));
    transcript.WriteTo(file);
  }
  // Each session ran in a work folder of its own.
  SetCurrentDirectoryW(current);
  return fclose(file) == 0;
}

// Starts the in-process twin; a null handle when it cannot start.
HANDLE StartTwin(const char* host, unsigned first, unsigned count) {
  char command[MAX_PATH + 64];
  snprintf(command, sizeof command, "\"%s\" record %u %u inprocess.txt", host, first, count);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

int Twin(const char* host, unsigned first, unsigned count) {
  ULONGLONG start = GetTickCount64();
  // The desktop started by this process before the twin's can race to start it.
  if (!HostEpisode::HostWindow()) {
    printf("twin: no window for the host, error %lu\n", GetLastError());
    return 1;
  }
  HANDLE twin = StartTwin(host, first, count);
  if (!twin) {
    printf("twin: cannot start %s\n", host);
    return 1;
  }
  bool recorded = Record(first, count, "bridge.txt");
  DWORD status = 1;
  if (WaitForSingleObject(twin, 60000 + 1000 * count) != WAIT_OBJECT_0) {
    printf("twin: the in-process host did not finish\n");
    TerminateProcess(twin, 1);
  }
  GetExitCodeProcess(twin, &status);
  CloseHandle(twin);
  int sessions = 0;
  int differences = TranscriptCompare::Run("inprocess.txt", "bridge.txt", &sessions);
  double seconds = static_cast<double>(GetTickCount64() - start) / 1000;
  printf("twin: %d sessions (seeds %u-%u), %d differences, %.1f s\n", sessions, first,
         first + count - 1, differences, seconds);
  bool whole = recorded && status == 0 && sessions == static_cast<int>(count);
  if (!whole) printf("twin: a host failed to record every session\n");
  return whole && differences == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && strcmp(argv[1], "record") == 0) {
    return Record(strtoul(argv[2], nullptr, 10), strtoul(argv[3], nullptr, 10), argv[4]) ? 0 : 1;
  }
  if (argc == 5 && strcmp(argv[1], "twin") == 0) {
    return Twin(argv[2], strtoul(argv[3], nullptr, 10), strtoul(argv[4], nullptr, 10));
  }
  printf("usage: twin_host record FIRST COUNT FILE | twin INPROCESS_HOST FIRST COUNT\n");
  return 2;
}
