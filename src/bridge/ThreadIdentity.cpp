#include "ThreadIdentity.h"

namespace {

ULONGLONG CreationTime(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
  return static_cast<ULONGLONG>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

thread_local ULONGLONG ownCreation = 0;

}  // namespace

ThreadIdentity ThreadIdentity::Current() {
  if (!ownCreation) ownCreation = CreationTime(GetCurrentThread());
  ThreadIdentity self;
  self.id = GetCurrentThreadId();
  self.created = ownCreation;
  return self;
}

bool ThreadIdentity::Ended() const {
  HANDLE thread = OpenThread(SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!thread) return GetLastError() == ERROR_INVALID_PARAMETER;
  ULONGLONG now = CreationTime(thread);
  bool ended =
      WaitForSingleObject(thread, 0) == WAIT_OBJECT_0 || (now && created && now != created);
  CloseHandle(thread);
  return ended;
}
