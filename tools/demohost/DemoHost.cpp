// Demo host: drives the driver DLL the way a screen reader would, against the
// simulated VELT display, and prints what the host and the user would see.
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "../../src/shared/loader/DriverModule.h"
#include "PngFile.h"
#include "WindowCapture.h"
#include "brlvelt.h"

namespace {

void PrintVersion(const char* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  static char data[8192];
  if (!size || size > sizeof data || !GetFileVersionInfoA(path, 0, size, data)) {
    printf("  no version resource\n");
    return;
  }
  const char* names[] = {"FileDescription", "FileVersion", "LegalCopyright"};
  for (const char* name : names) {
    char query[64];
    snprintf(query, sizeof query, "\\StringFileInfo\\040904E4\\%s", name);
    char* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(data, query, reinterpret_cast<void**>(&value), &length) && length) {
      printf("  %s: %s\n", name, value);
    }
  }
}

// Computer braille for the letters used in the rows below: dot n is bit n-1.
unsigned char Cell(char ch) {
  static const unsigned char letters[26] = {0x01, 0x03, 0x09, 0x19, 0x11, 0x0B, 0x1B, 0x13, 0x0A,
                                            0x1A, 0x05, 0x07, 0x0D, 0x1D, 0x15, 0x0F, 0x1F, 0x17,
                                            0x0E, 0x1E, 0x25, 0x27, 0x3A, 0x2D, 0x3D, 0x35};
  if (ch >= 'a' && ch <= 'z') return letters[ch - 'a'];
  if (ch >= 'A' && ch <= 'Z') return letters[ch - 'A'] | 0x40;
  return 0;
}

int ShowText(const DriverModule& brl, const char* text) {
  unsigned char cells[40] = {};
  int n = static_cast<int>(strlen(text));
  for (int i = 0; i < n && i < 40; ++i) cells[i] = Cell(text[i]);
  return brl.Display(cells, n);
}

unsigned chords[32][2];
int chordCount = 0;

int __stdcall OnChord(int code, int param) {
  if (chordCount < 32) {
    chords[chordCount][0] = static_cast<unsigned>(code);
    chords[chordCount][1] = static_cast<unsigned>(param);
    ++chordCount;
  }
  return 0;
}

// Calls BrlTimer every 20 ms for the given time, as a host's timer would, and
// keeps this thread's windows responsive.
void RunTimer(const DriverModule& brl, DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    brl.Timer();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(20);
  }
}

// A text field with the focus, standing in for the application the user types into.
HWND CreateTextField() {
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_AUTOHSCROLL, 40,
                              40, 400, 60, nullptr, nullptr, nullptr, nullptr);
  if (!edit) return nullptr;
  SetForegroundWindow(edit);
  SetFocus(edit);
  return edit;
}

void WriteKeyScript(const char* path) {
  FILE* file = fopen(path, "wb");
  if (!file) return;
  fputs("# The user types \"Bonjour \xE9\" on the display's keyboard...\n", file);
  const char* text = "Bonjour \xE9";
  for (const char* p = text; *p; ++p) {
    unsigned char ch = static_cast<unsigned char>(*p);
    fprintf(file, "30 1 0x02 0x%02X\n0 1 0x01 0x%02X\n", ch, ch);
  }
  fputs("# ...presses Enter...\n30 2 0x02 0x0D\n0 2 0x01 0x0D\n", file);
  fputs("# ...and a chord of display keys 1 and 2, then upper-bank key 5.\n", file);
  fputs("50 3 0x02 1\n10 3 0x02 2\n10 3 0x01 1\n0 3 0x01 2\n50 4 0x03 5\n", file);
  fputs("# Then the display is switched off for 1.5 s, and on again.\n", file);
  fputs("500 power off\n1500 power on\n", file);
  fclose(file);
}

void PrintFile(const char* path) {
  FILE* file = fopen(path, "rb");
  if (!file) return;
  char line[1024];
  while (fgets(line, sizeof line, file)) printf("  %s", line);
  fclose(file);
}

// The simulated display's settings, longer than the 79 characters the driver
// passes on: in a file that the short settings string names.
void WriteSettings(const char* path) {
  FILE* file = fopen(path, "wb");
  if (!file) return;
  fputs("cells=40\nkeys=demo-keys.txt\nbraille=demo-braille.txt\nlog=demo-velt.log\nwindow=on\n",
        file);
  fclose(file);
}

// Brings the simulated display's window to the front, lets it draw the row (on
// its own thread), saves what it shows and gives the focus back to the field.
void SaveWindow(HWND field, const char* path) {
  HWND window = FindWindowW(L"VeltSimulatedDisplay", nullptr);
  WindowCapture capture;
  if (window) {
    SetForegroundWindow(window);
    Sleep(500);
  }
  if (window && capture.Take(window) &&
      PngFile::Write(path, capture.Width(), capture.Height(), capture.Pixels())) {
    printf("  the display's window: screenshot saved as %s\n", path);
  } else {
    printf("  the display's window: no screenshot (%s)\n", window ? "capture failed" : "no window");
  }
  if (field) {
    SetForegroundWindow(field);
    SetFocus(field);
  }
}

void PreInit(const DriverModule& brl) {
  const unsigned char cells[2] = {1, 2};
  printf("== before BrlInit\n");
  printf("  BrlDisplay -> %d\n", brl.Display(cells, 2));
  printf("  BrlClear -> %d\n", brl.Clear());
  printf("  BrlRefresh -> %d\n", brl.Refresh());
  printf("  BrlTimer -> %d\n", brl.Timer());
  printf("  BrlSleep(0) -> %d\n", brl.Sleep(0));
}

void Session(const DriverModule& brl) {
  remove("demo-braille.txt");
  remove("demo-velt.log");
  remove("demo-window.png");
  WriteKeyScript("demo-keys.txt");
  WriteSettings("demo-velt.txt");
  HWND edit = CreateTextField();
  const char settings[] = "file=demo-velt.txt";
  int result = brl.Init(settings, OnChord);
  printf("== BrlInit(\"%s\") -> %d (cells %d, status cells %d)\n", settings, result, result & 0xFF,
         (result >> 8) & 0xFF);
  if (!result) return;
  printf("  BrlDisplay(\"Hello world\") -> %d\n", ShowText(brl, "Hello world"));
  SaveWindow(edit, "demo-window.png");
  printf("  BrlDisplay(\"Hello world\") again -> %d (unchanged, not sent)\n",
         ShowText(brl, "Hello world"));
  printf("  BrlDisplay(\"braille\") -> %d\n", ShowText(brl, "braille"));
  RunTimer(brl, 4000);
  printf(
      "  BrlTimer alone for 4 s: the display was switched off and on meanwhile, and the\n"
      "  driver sent the row again by itself (the cells below: braille, blank, braille)\n");
  int asleep = brl.Sleep(1);
  int awake = brl.Sleep(0);
  printf("  BrlSleep(1) -> %d, BrlSleep(0) -> %d\n", asleep, awake);
  printf("  BrlDisplay(\"awake\") -> %d\n", ShowText(brl, "awake"));
  brl.Terminate();

  WCHAR wide[256] = {};
  char typed[768] = {};
  if (edit) GetWindowTextW(edit, wide, 256);
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, typed, sizeof typed, nullptr, nullptr);
  printf("== what the host saw\n  text typed into the focused field: \"%s\"\n", typed);
  for (int i = 0; i < chordCount; ++i) {
    printf("  chord 0x%08X, param %u\n", chords[i][0], chords[i][1]);
  }
  printf("== the display's cells, as the simulated display showed them\n");
  PrintFile("demo-braille.txt");
}

}  // namespace

int main() {
  const char path[] = "brlvelt.dll";
  DriverModule brl;
  if (!brl.Load(L"brlvelt.dll")) {
    printf("cannot load %s\n", path);
    return 1;
  }
  printf("== %s version\n", path);
  PrintVersion(path);
  PreInit(brl);
  Session(brl);
  return 0;
}
