#include "Transcript.h"

#include <stdarg.h>

Transcript::Transcript() {
  InitializeCriticalSection(&lock);
}

Transcript::~Transcript() {
  DeleteCriticalSection(&lock);
}

void Transcript::Line(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line, format, args);
  va_end(args);
  EnterCriticalSection(&lock);
  text.append(2 * depth, ' ');
  text += line;
  text += '\n';
  LeaveCriticalSection(&lock);
}

void Transcript::WriteTo(FILE* file) {
  EnterCriticalSection(&lock);
  fwrite(text.data(), 1, text.size(), file);
  text.clear();
  LeaveCriticalSection(&lock);
}
