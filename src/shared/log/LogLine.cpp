#include "LogLine.h"

#include <windows.h>

#include "LogFile.h"

namespace {

// Room kept at the end of the buffer for "..." and the line's end.
const int kTail = 5;

}  // namespace

LogLine::LogLine() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const struct {
    unsigned long value;
    int width;
    char after;
  } fields[] = {{now.wYear, 4, '-'},
                {now.wMonth, 2, '-'},
                {now.wDay, 2, ' '},
                {now.wHour, 2, ':'},
                {now.wMinute, 2, ':'},
                {now.wSecond, 2, '.'},
                {now.wMilliseconds, 3, ' '},
                {GetCurrentProcessId(), 1, ' '},
                {GetCurrentThreadId(), 1, ' '}};
  for (const auto& field : fields) {
    Digits(field.value, 10, field.width);
    Put(field.after);
  }
}

LogLine::~LogLine() {
  if (length == kSize - kTail) {
    for (int i = 0; i < 3; ++i) text[length++] = '.';
  }
  text[length++] = '\r';
  text[length++] = '\n';
  LogFile::Append(text, static_cast<DWORD>(length));
}

void LogLine::Put(char c) {
  if (length < kSize - kTail) text[length++] = c;
}

// Printable ASCII as is, other bytes as \xNN.
void LogLine::Escaped(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) {
    Put(c);
    return;
  }
  Put('\\');
  Put('x');
  Digits(byte, 16, 2);
}

LogLine& LogLine::Text(const char* from) {
  for (; *from; ++from) Escaped(*from);
  return *this;
}

LogLine& LogLine::Quoted(const char* from, int limit) {
  if (!from) return Text("null");
  Put('"');
  int i = 0;
  for (; i < limit && from[i]; ++i) Escaped(from[i]);
  Put('"');
  if (i == limit) Text("...");
  return *this;
}

LogLine& LogLine::Quoted(const wchar_t* from, int limit) {
  if (!from) return Text("null");
  Put('"');
  int i = 0;
  for (; i < limit && from[i]; ++i) {
    if (from[i] < 0x80) {
      Escaped(static_cast<char>(from[i]));
    } else {
      Text("\\u");
      Digits(static_cast<unsigned long>(from[i]), 16, 4);
    }
  }
  Put('"');
  if (i == limit) Text("...");
  return *this;
}

LogLine& LogLine::Number(long value) {
  if (value < 0) Put('-');
  unsigned long magnitude = static_cast<unsigned long>(value);
  if (value < 0) magnitude = 0ul - magnitude;
  Digits(magnitude, 10, 1);
  return *this;
}

LogLine& LogLine::Hex(unsigned long value, int width) {
  Text("0x");
  Digits(value, 16, width);
  return *this;
}

// At least width digits, zeros in front.
void LogLine::Digits(unsigned long value, unsigned base, int width) {
  char digits[24];
  if (width > 23) width = 23;
  int count = 0;
  do {
    digits[count++] = "0123456789ABCDEF"[value % base];
    value /= base;
  } while (value || count < width);
  while (count > 0) Put(digits[--count]);
}
