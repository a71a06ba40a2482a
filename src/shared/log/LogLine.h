// One line of the log, built in place and appended when it goes out of scope:
// "2026-12-09 09:12:33.123 <process> <thread> <text>". Bytes outside printable
// ASCII are written as \xNN, so the file is plain ASCII whatever a text holds;
// a line too long for its buffer ends in "...". Build lines only while
// Log::On(): `if (Log::On()) LogLine().Text("BrlTerminate");`.
#pragma once

class LogLine {
 public:
  LogLine();
  ~LogLine();
  LogLine(const LogLine&) = delete;
  LogLine& operator=(const LogLine&) = delete;

  LogLine& Text(const char* text);
  // The text in quotes, at most limit bytes of it read (then "..." after the
  // quotes when none of them ended it); null as null.
  LogLine& Quoted(const char* text, int limit = 260);
  // The same for a UTF-16 text: characters above 0x7E as \uNNNN.
  LogLine& Quoted(const wchar_t* text, int limit = 260);
  LogLine& Number(long value);
  // 0x and at least width digits.
  LogLine& Hex(unsigned long value, int width = 2);

 private:
  static const int kSize = 512;
  void Put(char c);
  void Escaped(char c);
  void Digits(unsigned long value, unsigned base, int width);

  char text[kSize];
  int length = 0;
};
