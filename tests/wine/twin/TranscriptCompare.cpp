#include "TranscriptCompare.h"

#include <vector>

namespace {

// Reads one line without its end; false at the end of the file.
bool ReadLine(FILE* file, std::string* line) {
  line->clear();
  for (int c; (c = fgetc(file)) != EOF;) {
    if (c == '\n') return true;
    line->push_back(static_cast<char>(c));
  }
  return !line->empty();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
  }
  return lines;
}

}  // namespace

bool TranscriptCompare::Reader::Session(std::string* header, std::string* lines) {
  lines->clear();
  if (next.empty() && !ReadLine(file, &next)) return false;
  *header = next;
  next.clear();
  std::string line;
  while (ReadLine(file, &line)) {
    if (line.compare(0, 8, "session ") == 0) {
      next = line;
      break;
    }
    *lines += line + '\n';
  }
  return true;
}

void TranscriptCompare::Print(const std::string& header, const std::string& a,
                              const std::string& b) {
  std::vector<std::string> linesA = Lines(a), linesB = Lines(b);
  size_t at = 0;
  while (at < linesA.size() && at < linesB.size() && linesA[at] == linesB[at]) ++at;
  printf("difference in %s, line %zu:\n", header.c_str(), at + 1);
  for (size_t i = at > 8 ? at - 8 : 0; i < at; ++i) printf("    %s\n", linesA[i].c_str());
  printf("  in-process: %s\n", at < linesA.size() ? linesA[at].c_str() : "(end of session)");
  printf("  bridge:     %s\n", at < linesB.size() ? linesB[at].c_str() : "(end of session)");
}

int TranscriptCompare::Run(const char* inProcessPath, const char* bridgePath, int* sessions) {
  Reader a{fopen(inProcessPath, "rb"), {}}, b{fopen(bridgePath, "rb"), {}};
  int differences = a.file && b.file ? 0 : -1;
  *sessions = 0;
  std::string headerA, headerB, linesA, linesB;
  while (differences >= 0) {
    bool moreA = a.Session(&headerA, &linesA), moreB = b.Session(&headerB, &linesB);
    if (!moreA && !moreB) break;
    if (moreA != moreB || headerA != headerB) {
      printf("the transcripts hold different sessions: \"%s\" and \"%s\"\n", headerA.c_str(),
             headerB.c_str());
      differences = -1;
      break;
    }
    ++*sessions;
    if (linesA != linesB && differences++ < kShown) Print(headerA, linesA, linesB);
  }
  if (a.file) fclose(a.file);
  if (b.file) fclose(b.file);
  return differences;
}
