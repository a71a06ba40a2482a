// Two transcripts of the same sessions, compared session by session: the first
// line where they part is printed with the session's seed and the lines before
// it, so that the session can be replayed alone.
#pragma once

#include <stdio.h>

#include <string>

class TranscriptCompare {
 public:
  static const int kShown = 10;

  // Counts the sessions that differ, printing the first kShown; -1 when a
  // file is missing or the two do not hold the same sessions.
  static int Run(const char* inProcessPath, const char* bridgePath, int* sessions);

 private:
  // One session of a transcript at a time: its "session N" line, then the rest.
  struct Reader {
    FILE* file;
    std::string next;  // the following session's first line, once read
    bool Session(std::string* header, std::string* lines);
  };
  static void Print(const std::string& header, const std::string& a, const std::string& b);
};
