// The log's file, %LOCALAPPDATA%\brlvelt\brlvelt.log, shared by every process of
// the user that writes it. Each line is opened, appended with FILE_APPEND_DATA
// (one write, so lines of several processes and threads never mix) and closed:
// no lock is held between lines, and a file another process moved aside is never
// written again. Past kLimit bytes the file becomes brlvelt.old.log, replacing
// the one before. No failure is reported, and the thread's last error is kept.
#pragma once

#include <windows.h>

class LogFile {
 public:
  static const DWORD kLimit = 1 << 20;

  // Forms the paths; false when %LOCALAPPDATA% is missing or too long.
  static bool Locate();
  static void Append(const char* text, DWORD length);

 private:
  static const int kPathSize = 260;
  static HANDLE Open();
  static HANDLE OpenBelowLimit();

  static WCHAR folder[kPathSize];
  static WCHAR path[kPathSize];
  static WCHAR oldPath[kPathSize];
};
