#include "LogSession.h"

#include "Log.h"
#include "LogLine.h"

LogSession::LogSession(const char* name) : name(name) {
  Log::Start();
  if (!Log::On()) return;
  LogLine()
      .Text(name)
      .Text(" loaded, version " BRLVELT_VERSION ", ")
      .Text(sizeof(void*) == 4 ? "i686" : "x86-64")
      .Text(Log::Typed() ? ", typed text logged" : "");
}

LogSession::~LogSession() {
  if (Log::On()) LogLine().Text(name).Text(" unloaded");
}
