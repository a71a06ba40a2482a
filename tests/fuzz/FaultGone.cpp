// Stands in for a negative control whose broken text is no longer in its
// source: the control fails, saying so, until it is brought up to date.
#include <stdio.h>

int main() {
  fprintf(stderr, "negative control %s no longer applies: its text is gone from %s\n", FAULT,
          SOURCE);
  return 1;
}
