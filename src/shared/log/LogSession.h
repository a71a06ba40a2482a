// A module's time in a process, for the log: starts the log's switch and writes
// when the module was loaded and unloaded. One static object per module,
// defined before any object that logs, so that it outlives them.
#pragma once

class LogSession {
 public:
  // name: "driver", "bridge" or "helper".
  explicit LogSession(const char* name);
  ~LogSession();
  LogSession(const LogSession&) = delete;
  LogSession& operator=(const LogSession&) = delete;

 private:
  const char* name;
};
