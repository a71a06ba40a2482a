// A minimal check list for the test programs that run under Wine: each failed
// check is printed with its line, and the exit code is the number of failures.
#pragma once

#include <stdio.h>

namespace check {

inline int& Passed() {
  static int count = 0;
  return count;
}

inline int& Failed() {
  static int count = 0;
  return count;
}

inline void That(bool ok, const char* what, int line) {
  if (ok) {
    ++Passed();
  } else {
    ++Failed();
    printf("FAILED line %d: %s\n", line, what);
    fflush(stdout);
  }
}

// A program that checked nothing proves nothing: it fails too.
inline int Finish(const char* program) {
  printf("%s: %d checks, %d failures\n", program, Passed() + Failed(), Failed());
  if (Passed() + Failed() == 0) printf("%s: nothing was checked\n", program);
  return Failed() || !Passed() ? 1 : 0;
}

}  // namespace check

#define CHECK(condition) check::That((condition), #condition, __LINE__)
#define CHECK_EQ(expected, actual)                                                         \
  do {                                                                                     \
    long long e_ = (long long)(expected), a_ = (long long)(actual);                        \
    check::That(e_ == a_, #expected " == " #actual, __LINE__);                             \
    if (e_ != a_) printf("  expected %lld (0x%llx), got %lld (0x%llx)\n", e_, e_, a_, a_); \
  } while (0)
