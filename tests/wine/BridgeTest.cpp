// The bridge as a 64-bit host sees it: brlvelt.dll beside this program, the
// helper with the real driver and the simulated display in brlvelthost\ beside
// it. Usage: bridge_test MODE, MODE one of session, order, crash, reusedid,
// outages, missing, faulty, deadline; needs a display (with-xvfb). faulty and
// deadline run against a fake helper that breaks the protocol as the
// environment variable BRLVELT_FAKE_HELPER says.
#include <string.h>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../../src/bridge/Call.h"
#include "../../src/bridge/helper/ImportPatch.h"
#include "../../src/shared/loader/DriverModule.h"
#include "Check.h"
#include "KeyRecorder.h"
#include "MessageBoxWatcher.h"
#include "Outages.h"
#include "SimFiles.h"

namespace {

const DWORD kCallMs = Call::Of(MessageKind::kDisplay).deadlineMs;
// The exit code of a check that could not run here (ctest's SKIP_RETURN_CODE).
const int kSkipped = 77;
DriverModule bridge;
std::vector<unsigned> chords;
bool nestedCalls = false;
DWORD callbackMs = 0;
bool inTimer = false;
DWORD hostThread = 0;

bool waitForAThread = false;

DWORD WINAPI ShowOnce(void*) {
  const unsigned char row[1] = {0x44};
  return static_cast<DWORD>(bridge.Display(row, 1));
}

// A callback that waits for another thread's call, as a host that hands the
// chord to its UI thread and waits would: that call goes through at once.
void WaitForAnotherThreadsCall() {
  waitForAThread = false;
  DWORD start = GetTickCount();
  HANDLE other = CreateThread(nullptr, 0, ShowOnce, nullptr, 0, nullptr);
  DWORD result = 0;
  CHECK(WaitForSingleObject(other, 5000) == WAIT_OBJECT_0 && GetExitCodeThread(other, &result));
  CHECK_EQ(1, result);
  printf("  a chord handed to another thread: its BrlDisplay done after %lu ms\n",
         GetTickCount() - start);
  CHECK(GetTickCount() - start <= 250);
  CloseHandle(other);
}

// Records each chord; on the first, calls back into the bridge and checks the
// driver was reached before the callback returns.
int __stdcall OnChord(int code, int param) {
  CHECK(inTimer && GetCurrentThreadId() == hostThread);
  chords.push_back(static_cast<unsigned>(code));
  chords.push_back(static_cast<unsigned>(param));
  Sleep(callbackMs);
  if (waitForAThread) WaitForAnotherThreadsCall();
  if (!nestedCalls) return 0;
  nestedCalls = false;
  const unsigned char row[2] = {0x07, 0x38};
  CHECK_EQ(1, bridge.Display(row, 2));
  CHECK_EQ(0, bridge.Timer());
  CHECK_EQ(1, Count(ReadWholeFile("bridge-nested.log"), "Affichage 0738"));
  return 0;
}

// The helper processes this host started.
std::vector<DWORD> Helpers() {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID == GetCurrentProcessId() &&
        _wcsicmp(entry.szExeFile, L"brlvelthost.exe") == 0) {
      found.push_back(entry.th32ProcessID);
    }
  }
  CloseHandle(snapshot);
  return found;
}

int Timer() {
  inTimer = true;
  int result = bridge.Timer();
  inTimer = false;
  return result;
}

void RunTimer(DWORD ms) {
  KeyRecorder::RunTimer([] { Timer(); }, ms);
}

bool SawBox(const char* text, const char* caption) {
  for (const SeenMessageBox& box : MessageBoxWatcher::seen()) {
    if (box.text.find(text) == 0 && box.caption == caption && !box.owned && box.onlyOk) return true;
  }
  return false;
}

void EveryExportAnswersAsTheDriver() {
  SimLog log("bridge.log");
  CHECK_EQ(40, bridge.Init("cells=40;log=bridge.log", OnChord));
  const unsigned char row[3] = {0x3F, 0xFF, 0x00};
  CHECK_EQ(1, bridge.Display(row, 2));
  CHECK_EQ(1, Count(log.Since(), "Affichage 3FFF00"));
  CHECK_EQ(0, bridge.Display(nullptr, 5));
  CHECK_EQ(1, bridge.Display(nullptr, 0));
  CHECK_EQ(1, bridge.DisplayStatus(row, 1));
  CHECK_EQ(1, bridge.Refresh());
  CHECK_EQ(1, bridge.Clear());
  CHECK_EQ(1, bridge.Sleep(1));
  CHECK_EQ(1, Count(log.Since(), "Fermeture"));
  CHECK_EQ(1, bridge.Sleep(0));
  CHECK_EQ(0, Timer());
  CHECK_EQ(0, bridge.Terminate());
  CHECK_EQ(1, Count(log.Since(), "Fermeture"));
}

void ChordsReachTheCallbackWhichMayCallIn() {
  WriteKeys("bridge-keys.txt", "0 3 0x03 5\n0 3 0x03 6\n");
  chords.clear();
  nestedCalls = true;
  remove("bridge-nested.log");
  CHECK_EQ(40, bridge.Init("keys=bridge-keys.txt;log=bridge-nested.log", OnChord));
  AlignToTick();
  // Time in the callback is the host's: it does not count to the deadline.
  callbackMs = kCallMs + 200;
  RunTimer(100);
  callbackMs = 0;
  CHECK_EQ(1, Helpers().size());
  bridge.Terminate();
  CHECK(!nestedCalls);
  const std::vector<unsigned> expected = {0x80000005u, 0, 0x80000006u, 0};
  CHECK(chords == expected);
}

void MessageBoxesAppearInTheHost() {
  MessageBoxWatcher watcher;
  CHECK_EQ(0, bridge.Init("cells=-1", OnChord));
  CHECK(SawBox("Le terminal braille n'est pas allum\xE9", "Erreur"));
  bridge.Terminate();
}

void TypedTextArrivesInTheFocusedField() {
  TextField field;
  CHECK(field.Focused());
  WriteKeys("bridge-typing.txt", TypingScript("Bonjour \xE9").c_str());
  CHECK_EQ(40, bridge.Init("keys=bridge-typing.txt", OnChord));
  RunTimer(400);
  bridge.Terminate();
  CHECK(field.Text() == L"Bonjour \u00E9");
}

// A message-driven host. Another thread sends the host's thread 100 messages
// while it polls, each handler showing a row, and chords come meanwhile whose
// callback shows a row too: every call answers 1, some handlers ran inside a
// call, and the rows reach the display in the order the host showed them,
// whether the handler ran between calls or inside one. Then a chord opens a
// "dialog" whose loop keeps showing rows and polling for longer than a call's
// deadline while the user types "a": the helper is not ended and the "a"
// arrives.
int sentResults = 0;
int insideACall = 0;
unsigned char nextRow = 1;
bool modalLoop = false;

int ShowNextRow() {
  const unsigned char row[1] = {nextRow++};
  return bridge.Display(row, 1);
}

LRESULT CALLBACK ShowSentRow(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_APP) return DefWindowProcW(window, message, w, l);
  insideACall += inTimer;
  sentResults += ShowNextRow();
  return 0;
}

int __stdcall ShowRowOnChord(int, int) {
  sentResults += ShowNextRow();
  return 0;
}

// The rows' first cells in the order the display showed them, blank rows left out.
std::vector<int> RowsShown(const std::string& log) {
  std::vector<int> rows;
  for (size_t at = log.find("Affichage "); at != std::string::npos;
       at = log.find("Affichage ", at + 1)) {
    int first = static_cast<int>(strtol(log.substr(at + 10, 2).c_str(), nullptr, 16));
    if (first) rows.push_back(first);
  }
  return rows;
}

DWORD WINAPI SendRows(void* window) {
  for (WPARAM i = 1; i <= 100; ++i) {
    SendMessageW(static_cast<HWND>(window), WM_APP, i, 0);
    Sleep(i % 7);
  }
  return 0;
}

int __stdcall RunDialog(int, int) {
  if (!modalLoop) return 0;
  modalLoop = false;
  const unsigned char row[1] = {0x2A};
  for (DWORD start = GetTickCount(); GetTickCount() - start < kCallMs + 500;) {
    CHECK_EQ(1, bridge.Display(row, 1));
    bridge.Timer();
    KeyRecorder::Pump(50);
  }
  return 0;
}

// A message-only window of the calling thread.
HWND MessageWindow(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW type = {};
  type.lpfnWndProc = procedure;
  type.lpszClassName = name;
  RegisterClassW(&type);
  return CreateWindowW(name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

void AMessageDrivenHost() {
  HWND window = MessageWindow(L"BridgeSentRow", ShowSentRow);
  SimLog log("bridge-sent.log");
  std::string chords;
  for (int i = 0; i < 10; ++i) chords += "30 3 0x03 " + std::to_string(5 + i) + "\n";
  WriteKeys("bridge-sent.txt", chords.c_str());
  CHECK_EQ(40, bridge.Init("log=bridge-sent.log;keys=bridge-sent.txt", ShowRowOnChord));
  std::vector<DWORD> helpers = Helpers();
  sentResults = insideACall = 0;
  nextRow = 1;
  HANDLE sender = CreateThread(nullptr, 0, SendRows, window, 0, nullptr);
  while (WaitForSingleObject(sender, 0) == WAIT_TIMEOUT) {
    Timer();
    KeyRecorder::Pump(0);
  }
  RunTimer(400);
  CloseHandle(sender);
  DestroyWindow(window);
  std::vector<int> rows = RowsShown(log.Since());
  printf("  rows shown by 100 sent messages and 10 chords: %d answered 1, %d inside a call\n",
         sentResults, insideACall);
  CHECK_EQ(110, sentResults);
  CHECK(insideACall > 0);
  CHECK_EQ(110, rows.size());
  CHECK(std::is_sorted(rows.begin(), rows.end()));
  for (size_t i = 1; i < rows.size(); ++i) {
    if (rows[i] < rows[i - 1]) printf("  row %d shown after row %d\n", rows[i], rows[i - 1]);
  }
  bridge.Terminate();
  TextField field;
  WriteKeys("bridge-dialog.txt", ("0 3 0x03 5\n" + TypingScript("a")).c_str());
  CHECK_EQ(40, bridge.Init("keys=bridge-dialog.txt", RunDialog));
  modalLoop = true;
  RunTimer(300);
  bridge.Terminate();
  CHECK(!modalLoop);
  CHECK(Helpers() == helpers);
  CHECK(field.Text() == L"a");
}

// Caps Lock as the host's thread has it (on, set here), not as the helper's
// thread has it (off: it never reads keyboard input): as Windows 10 (the
// tests' Wine), where the driver types with keys and Shift does not turn Caps
// Lock off, "a" is Shift+A and "A" a plain A, as the driver types them
// in-process, and "aA" arrives.
void CapsLockIsTheHosts() {
  KeyRecorder recorder;
  TextField field;
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_CAPITAL] |= 1;
  SetKeyboardState(state);
  CHECK(GetKeyState(VK_CAPITAL) & 1);
  WriteKeys("bridge-caps.txt", TypingScript("aA").c_str());
  CHECK_EQ(40, bridge.Init("keys=bridge-caps.txt", OnChord));
  RunTimer(400);
  bridge.Terminate();
  state[VK_CAPITAL] &= ~1;
  SetKeyboardState(state);
  const DWORD shift = MapVirtualKeyA(VK_SHIFT, MAPVK_VK_TO_VSC);
  const DWORD a = MapVirtualKeyA('A', MAPVK_VK_TO_VSC);
  CHECK(KeyRecorder::Same({Down(VK_SHIFT, shift), Down('A', a), Up('A', a), Up(VK_SHIFT, shift),
                           Down('A', a), Up('A', a)}));
  CHECK(field.Text() == L"aA");
}

// Past the restart limit every call returns 0 at once, without a box.
void CallsFailAtOnce() {
  const unsigned char row[1] = {1};
  size_t boxes = MessageBoxWatcher::seen().size();
  DWORD start = GetTickCount();
  CHECK_EQ(0, bridge.Display(row, 1));
  CHECK_EQ(0, bridge.DisplayStatus(row, 1));
  CHECK_EQ(0, bridge.Clear());
  CHECK_EQ(0, bridge.Refresh());
  CHECK_EQ(0, bridge.Sleep(1));
  CHECK_EQ(0, bridge.Sleep(0));
  CHECK_EQ(0, Timer());
  CHECK_EQ(0, bridge.Terminate());
  CHECK(GetTickCount() - start < 200);
  CHECK_EQ(boxes, MessageBoxWatcher::seen().size());
}

// With no helper and no session, as the driver with no display open: at once,
// starting nothing.
void AnswersWithNoDisplay() {
  const unsigned char row[1] = {1};
  size_t helpers = Helpers().size();
  DWORD start = GetTickCount();
  CHECK_EQ(1, bridge.Display(row, 1));
  CHECK_EQ(1, bridge.Display(nullptr, 5));
  CHECK_EQ(1, bridge.DisplayStatus(row, 1));
  CHECK_EQ(1, bridge.Clear());
  CHECK_EQ(0, bridge.Refresh());
  CHECK_EQ(0, Timer());
  CHECK_EQ(1, bridge.Sleep(0));
  CHECK_EQ(0, bridge.Terminate());
  CHECK(GetTickCount() - start < 200);
  CHECK_EQ(helpers, Helpers().size());
}

// Settings the driver refuses (none, 80 characters or more) start no helper and
// show no box.
void RefusedSettingsStartNothing() {
  MessageBoxWatcher watcher;
  std::string tooLong(80, 'x');
  CHECK_EQ(0, bridge.Init(nullptr, OnChord));
  CHECK_EQ(0, bridge.Init(tooLong.c_str(), OnChord));
  CHECK(Helpers().empty());
  CHECK(MessageBoxWatcher::seen().empty());
  AnswersWithNoDisplay();
  CHECK(Helpers().empty());
}

// Asleep before BrlInit: the session starts asleep (no key read), and the
// display opens all the same.
void SleepBeforeInitAsTheDriver() {
  SimLog log("bridge-asleep.log");
  CHECK_EQ(1, bridge.Sleep(1));
  CHECK(Helpers().empty());
  CHECK_EQ(40, bridge.Init("log=bridge-asleep.log", OnChord));
  Timer();
  std::string calls = log.Since();
  CHECK_EQ(1, Count(calls, "Initialisation"));
  CHECK_EQ(0, Count(calls, "LectureClavier"));
  CHECK_EQ(1, bridge.Sleep(0));
  CHECK_EQ(0, bridge.Terminate());
}

// No key stays down: every recorded key that went down came up again.
bool Balanced() {
  std::vector<DWORD> down;
  for (const KeyEvent& key : KeyRecorder::events()) {
    auto at = std::find(down.begin(), down.end(), key.vk);
    if (!key.up && at == down.end()) down.push_back(key.vk);
    if (key.up && at != down.end()) down.erase(at);
  }
  for (DWORD vk : down) printf("  vk %02lX left down\n", vk);
  return down.empty() && !KeyRecorder::events().empty();
}

// A capital held by the display: Shift and A down in this process.
void HoldCapitalA(const char* settings) {
  WriteKeys("bridge-held.txt", "0 1 0x02 'A'\n");
  CHECK_EQ(40, bridge.Init(settings, OnChord));
  RunTimer(200);
}

HWND callingWindow = nullptr;
bool unloading = false;
bool handledAtUnload = false;

// A host window whose procedure would call in while the bridge unloads.
LRESULT CALLBACK CallIn(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_APP && unloading) {
    handledAtUnload = true;
    bridge.Init("cells=40", OnChord);
  }
  return DefWindowProcW(window, message, w, l);
}

DWORD WINAPI SendCallIn(void*) {
  SendMessageW(callingWindow, WM_APP, 0, 0);
  return 0;
}

// Unload lets go of the held keys; with none held it runs none of the host's
// code (a message sent meanwhile waits) and takes at most a second. Letting go
// of keys at unload calls the host's low-level keyboard hook, as the driver
// in-process does, and Wine handles sent messages while it does.
void Unload(bool messageWaiting, bool heldKeys) {
  KeyRecorder recorder;
  MessageBoxWatcher watcher;
  callingWindow =
      CreateWindowW(L"BridgeCallIn", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (heldKeys) {
    HoldCapitalA("keys=bridge-held.txt");
  } else {
    CHECK_EQ(40, bridge.Init("cells=40", OnChord));
  }
  CHECK(!heldKeys || !Balanced());
  HANDLE sender =
      messageWaiting ? CreateThread(nullptr, 0, SendCallIn, nullptr, 0, nullptr) : nullptr;
  Sleep(200);  // the message is waiting when the unload starts
  handledAtUnload = false;
  unloading = true;
  DWORD start = GetTickCount();
  bridge.Unload();
  DWORD took = GetTickCount() - start;
  unloading = false;
  KeyRecorder::Pump(100);
  CHECK(!sender || WaitForSingleObject(sender, 5000) == WAIT_OBJECT_0);
  if (sender) CloseHandle(sender);
  DestroyWindow(callingWindow);
  CHECK(!handledAtUnload);
  CHECK(took <= 1100);
  CHECK(MessageBoxWatcher::seen().empty());
  CHECK(Helpers().empty());
  CHECK(!heldKeys || Balanced());
  CHECK(bridge.Load(L"brlvelt.dll"));
}

void UnloadRunsNoHostCode() {
  WNDCLASSW type = {};
  type.lpfnWndProc = CallIn;
  type.lpszClassName = L"BridgeCallIn";
  RegisterClassW(&type);
  Unload(false, true);
  Unload(true, false);
}

void EndTheHelper() {
  std::vector<DWORD> helpers = Helpers();
  HANDLE helper = helpers.empty() ? nullptr : OpenProcess(PROCESS_TERMINATE, FALSE, helpers[0]);
  CHECK(helper && TerminateProcess(helper, 9));
  if (helper) CloseHandle(helper);
}

// A restart by a call: the display reopened with the last settings, the row
// sent again.
void Restarted(SimLog& log) {
  const unsigned char row[1] = {0x01};
  CHECK_EQ(1, bridge.Display(row, 1));
  CHECK_EQ(1, Helpers().size());
  std::string calls = log.Since();
  CHECK(calls.find(
            "Initialisation \"cells=40;crash=255;keys=bridge-held.txt;log=bridge-crash.log\"") ==
        0);
  CHECK_EQ(1, Count(calls, "Affichage 0100"));
}

// The helper dies (a crash in the device library, on a call or on a wake, or
// ended from outside) or misses a deadline: the next call starts a fresh one
// that reopens the display with the last settings and callback and sends the
// row again, up to three times a minute, silently; a call whose restart fails
// returns 0; past the limit one box, and 0 until the next BrlInit.
void ASessionOutlivesItsHelper() {
  MessageBoxWatcher watcher;
  KeyRecorder recorder;
  SimLog log("bridge-crash.log");
  const unsigned char row[1] = {0x01}, fatal[1] = {0xFF};
  HoldCapitalA("cells=40;crash=255;keys=bridge-held.txt;log=bridge-crash.log");
  CHECK(!Balanced());
  DWORD start = GetTickCount();
  CHECK_EQ(0, bridge.Display(fatal, 1));
  CHECK(GetTickCount() - start < 3000);
  KeyRecorder::Pump(100);
  CHECK(Balanced());
  CHECK(Helpers().empty());
  log.Since();
  Restarted(log);
  // Asleep, the row is kept (0: not shown); the wake sends it and crashes.
  CHECK_EQ(1, bridge.Sleep(1));
  CHECK_EQ(0, bridge.Display(fatal, 1));
  CHECK_EQ(0, bridge.Sleep(0));
  CHECK(Helpers().empty());
  log.Since();
  Restarted(log);
  EndTheHelper();
  // The restart sends the row that crashes it again: a failure, not a success.
  CHECK_EQ(0, bridge.Display(fatal, 1));
  CHECK(Helpers().empty());
  CHECK(MessageBoxWatcher::seen().empty());
  CHECK_EQ(0, bridge.Display(row, 1));
  CHECK_EQ(1, MessageBoxWatcher::seen().size());
  CHECK(SawBox("Erreur de communication avec le fichier ", "Erreur"));
  CallsFailAtOnce();
  CHECK_EQ(40, bridge.Init("cells=40;log=bridge-crash.log", OnChord));
  CHECK_EQ(1, bridge.Display(row, 1));
  bridge.Terminate();
  // A wake after BrlTerminate, its helper lost: the last settings, the row
  // BrlTerminate cleared.
  EndTheHelper();
  log.Since();
  CHECK_EQ(1, bridge.Sleep(1));
  CHECK_EQ(1, bridge.Sleep(0));
  std::string calls = log.Since();
  CHECK(calls.find("Initialisation \"cells=40;log=bridge-crash.log\"") == 0);
  CHECK_EQ(0, Count(calls, "Affichage 01"));
  bridge.Terminate();
}

// A restart whose display does not open (switched off meanwhile) is a failed
// one: the calls answer as with no display open, each try counts to the limit;
// the series shows the driver's first box only, and past the limit 0 and no
// other box. A BrlInit starts a new series; a display switched on again is
// reopened by the next call.
void AFailedReopenIsAFailedRestart() {
  MessageBoxWatcher watcher;
  const unsigned char row[1] = {1};
  WriteKeys("bridge-off.cfg", "cells=40");
  CHECK_EQ(40, bridge.Init("file=bridge-off.cfg", OnChord));
  EndTheHelper();
  WriteKeys("bridge-off.cfg", "cells=-1");
  CHECK_EQ(1, bridge.Display(row, 1));
  CHECK(Helpers().empty());
  CHECK_EQ(1, bridge.Clear());
  CHECK_EQ(0, Timer());
  CHECK(Helpers().empty());
  CHECK_EQ(1, MessageBoxWatcher::seen().size());
  CHECK(SawBox("Le terminal braille n'est pas allum\xE9", "Erreur"));
  CHECK_EQ(0, bridge.Display(row, 1));
  CHECK_EQ(1, MessageBoxWatcher::seen().size());
  WriteKeys("bridge-off.cfg", "cells=40");
  CHECK_EQ(40, bridge.Init("file=bridge-off.cfg", OnChord));
  EndTheHelper();
  WriteKeys("bridge-off.cfg", "cells=-1");
  CHECK_EQ(1, bridge.Display(row, 1));
  CHECK_EQ(2, MessageBoxWatcher::seen().size());
  WriteKeys("bridge-off.cfg", "cells=40");
  CHECK_EQ(1, bridge.Display(row, 1));
  CHECK_EQ(1, Helpers().size());
  bridge.Terminate();
}

int __stdcall DieInCallback(int, int) {
  ExitThread(0);
}

DWORD WINAPI TimerUntilDead(void*) {
  for (int i = 0; i < 100; ++i) {
    bridge.Timer();
    Sleep(20);
  }
  return 1;
}

DWORD deadThread = 0;

// A thread Windows gave the dead thread's id: it shows a row of its own.
DWORD WINAPI ShowUnderTheDeadId(void*) {
  if (GetCurrentThreadId() != deadThread) return 0;
  const unsigned char row[1] = {0x02};
  return static_cast<DWORD>(bridge.Display(row, 1));
}

// Starts threads until one gets the dead thread's id, which then shows its
// row; false when Windows gave the id to none of them.
bool ShowUnderTheDeadIdWhenGiven() {
  for (int i = 0; i < 5000; ++i) {
    HANDLE thread = CreateThread(nullptr, 0, ShowUnderTheDeadId, nullptr, 0, nullptr);
    bool reused = GetThreadId(thread) == deadThread;
    DWORD shown = 0;
    WaitForSingleObject(thread, 5000);
    GetExitCodeThread(thread, &shown);
    CloseHandle(thread);
    if (!reused) continue;
    CHECK_EQ(1, shown);
    return true;
  }
  return false;
}

// A host thread that dies inside a call (in its callback) leaves no call in
// progress behind, even once Windows gives its id to another thread (with
// underItsId; false when Windows gave it to none): a lost helper is
// restarted, and the driver reached at once.
bool AThreadDyingInACallLeavesNothing(bool underItsId) {
  SimLog log("bridge-dies.log");
  WriteKeys("bridge-dies.txt", "0 3 0x03 5\n");
  CHECK_EQ(40, bridge.Init("keys=bridge-dies.txt;log=bridge-dies.log", DieInCallback));
  HANDLE thread = CreateThread(nullptr, 0, TimerUntilDead, nullptr, 0, nullptr);
  deadThread = GetThreadId(thread);
  DWORD code = 1;
  CHECK(WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &code));
  CHECK_EQ(0, code);
  CloseHandle(thread);
  EndTheHelper();
  log.Since();
  DWORD start = GetTickCount();
  bool reused = underItsId && ShowUnderTheDeadIdWhenGiven();
  if (reused) {
    printf("  a thread with the dead thread's id got in after %lu ms\n", GetTickCount() - start);
    CHECK_EQ(1, Count(log.Since(), "Affichage 02"));
  }
  const unsigned char row[1] = {0x01};
  CHECK_EQ(1, bridge.Display(row, 1));
  CHECK_EQ(1, Helpers().size());
  CHECK_EQ(1, Count(log.Since(), "Affichage 01"));
  bridge.Terminate();
  return reused;
}

void AMissingHelperIsNamed() {
  MessageBoxWatcher watcher;
  CHECK_EQ(0, bridge.Init("cells=40", OnChord));
  CHECK(SawBox("Impossible de charger le fichier ", "Erreur de chargement"));
  CHECK(!MessageBoxWatcher::seen().empty() &&
        MessageBoxWatcher::seen()[0].text.find("\\brlvelthost\\brlvelthost.exe") !=
            std::string::npos);
  AnswersWithNoDisplay();
  // Waking before any BrlInit opens the display, which needs the helper.
  CHECK_EQ(1, bridge.Sleep(1));
  CHECK_EQ(1, bridge.Sleep(0));
  CHECK_EQ(2, MessageBoxWatcher::seen().size());
}

// Overlapping calls from a second thread each get their own result; the helper
// survives.
DWORD WINAPI ShowFromAnotherThread(void*) {
  const unsigned char row[2] = {0x11, 0x22};
  int wrong = 0;
  for (int i = 0; i < 300; ++i) wrong += bridge.Display(row, 2) != 1;
  return static_cast<DWORD>(wrong);
}

void TwoThreadsEachGetTheirResult() {
  MessageBoxWatcher watcher;
  WriteKeys("bridge-threads.txt", "0 3 0x03 5\n10 3 0x03 6\n10 3 0x03 7\n");
  CHECK_EQ(40, bridge.Init("keys=bridge-threads.txt", OnChord));
  chords.clear();
  HANDLE other = CreateThread(nullptr, 0, ShowFromAnotherThread, nullptr, 0, nullptr);
  const unsigned char row[1] = {0x33};
  int wrong = 0;
  for (int i = 0; i < 300; ++i) wrong += Timer() != 0 || bridge.Refresh() != 1;
  DWORD otherWrong = 1;
  CHECK(WaitForSingleObject(other, 10000) == WAIT_OBJECT_0 &&
        GetExitCodeThread(other, &otherWrong));
  CloseHandle(other);
  CHECK_EQ(0, wrong);
  CHECK_EQ(0, otherWrong);
  CHECK_EQ(1, bridge.Display(row, 1));
  CHECK_EQ(6, chords.size());
  CHECK_EQ(1, Helpers().size());
  CHECK(MessageBoxWatcher::seen().empty());
  bridge.Terminate();
  WriteKeys("bridge-threads.txt", "0 3 0x03 8\n");
  CHECK_EQ(40, bridge.Init("keys=bridge-threads.txt", OnChord));
  waitForAThread = true;
  CHECK_EQ(0, Timer());
  CHECK(!waitForAThread);
  bridge.Terminate();
}

// A host that hands work from thread to thread. A's callback starts B's call,
// and returns once B is in a callback or a box of its own, or after 0.3 s (1 s
// for a box). B either polls, going through while A's callback runs, and from
// its own callback sends a message to A and waits for A to handle it; or opens
// the display again and is shown a box (the display is off). A is back from
// its call within the deadline either way, and the next call A makes while B's
// box is up answers at once.
DWORD aThread = 0;
HANDLE bThread = nullptr, bBusy = nullptr;
HWND aWindow = nullptr;
bool bShowsABox = false, bHandled = false;

int __stdcall OnHandedChord(int, int);

HWND BoxOnB() {
  return FindWindowA("#32770", "Erreur");
}

DWORD WINAPI BWorks(void*) {
  if (bShowsABox) {
    WriteKeys("bridge-handed.cfg", "cells=-1");
    bridge.Terminate();
    return static_cast<DWORD>(bridge.Init("file=bridge-handed.cfg", OnHandedChord));
  }
  for (int i = 0; i < 100 && !bHandled && WaitForSingleObject(bBusy, 0) != WAIT_OBJECT_0; ++i) {
    bridge.Timer();
    Sleep(20);
  }
  return 0;
}

int __stdcall OnHandedChord(int, int) {
  if (GetCurrentThreadId() != aThread) {
    SetEvent(bBusy);
    DWORD_PTR answer = 0;
    bHandled = SendMessageTimeoutW(aWindow, WM_APP, 0, 0, SMTO_NORMAL, 5000, &answer) && answer;
  } else if (!bThread) {
    bThread = CreateThread(nullptr, 0, BWorks, nullptr, 0, nullptr);
    int tries = bShowsABox ? 50 : 15;
    for (int i = 0; i < tries && WaitForSingleObject(bBusy, 20) != WAIT_OBJECT_0 && !BoxOnB();
         ++i) {
    }
  }
  return 0;
}

// Closes B's box 4.5 s after it appeared, when the test has not.
DWORD WINAPI CloseBoxOnBLater(void*) {
  HWND box = nullptr;
  for (int i = 0; i < 500 && !(box = BoxOnB()); ++i) Sleep(20);
  Sleep(4500);
  if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
  return 0;
}

// A BrlDisplay kept while another thread's box is up answers at once, as the
// driver would.
DWORD TimedDisplay() {
  const unsigned char row[1] = {1};
  DWORD start = GetTickCount();
  CHECK_EQ(1, bridge.Display(row, 1));
  return GetTickCount() - start;
}

DWORD TimedTimer(int* result) {
  DWORD start = GetTickCount();
  *result = bridge.Timer();
  return GetTickCount() - start;
}

LRESULT CALLBACK HandledByA(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return message == WM_APP ? 1 : DefWindowProcW(window, message, wparam, lparam);
}

void AHandsWorkToB(bool box) {
  aThread = GetCurrentThreadId();
  bShowsABox = box;
  bHandled = false;
  bBusy = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = HandledByA;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"HandledByA";
  RegisterClassW(&windowClass);
  aWindow = CreateWindowW(L"HandledByA", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          windowClass.hInstance, nullptr);
  WriteKeys("bridge-handed.txt", "0 3 0x03 5\n100 3 0x03 6\n600 3 0x03 7\n");
  WriteKeys("bridge-handed.cfg", "keys=bridge-handed.txt");
  HANDLE closer = box ? CreateThread(nullptr, 0, CloseBoxOnBLater, nullptr, 0, nullptr) : nullptr;
  CHECK_EQ(40, bridge.Init("file=bridge-handed.cfg", OnHandedChord));
  int result = 1;
  DWORD start = GetTickCount(), longest = TimedTimer(&result);
  for (MSG m; !box && !bHandled && GetTickCount() - start < 8000; Sleep(10)) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  for (int i = 0; box && i < 250 && !BoxOnB(); ++i) Sleep(20);
  CHECK(!box || BoxOnB());
  DWORD duringBox = box ? TimedDisplay() : 0;
  DWORD bResult = 1;
  CHECK(WaitForSingleObject(bThread, 10000) == WAIT_OBJECT_0 &&
        GetExitCodeThread(bThread, &bResult));
  CHECK_EQ(0, bResult);
  printf(
      "  %s: A spent at most %lu ms in a call (%lu ms while B's box was up), all done "
      "after %lu ms\n",
      box ? "a box on B" : "B waits for A", longest, duringBox, GetTickCount() - start);
  CHECK(longest <= kCallMs + 250 && duringBox <= 250);
  CHECK_EQ(0, result);
  CHECK(box || (bHandled && GetTickCount() - start < kCallMs));
  if (closer) WaitForSingleObject(closer, 10000);
  for (HANDLE h : {bThread, bBusy, closer}) {
    if (h) CloseHandle(h);
  }
  DestroyWindow(aWindow);
  bThread = nullptr;
  bridge.Terminate();
}

// One order. Host code on any thread can hand work to another with
// SendMessage: a window whose WM_APP handler runs the action the message
// carries.
struct Handed {
  int (*action)(int);
  int value;
  DWORD ms;  // how long the hand-off took
  int result;
};

LRESULT CALLBACK RunHanded(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message != WM_APP) return DefWindowProcW(window, message, w, l);
  Handed* handed = reinterpret_cast<Handed*>(l);
  handed->result = handed->action(handed->value);
  return 0;
}

HWND HandedWindow() {
  return MessageWindow(L"BridgeHanded", RunHanded);
}

void Hand(HWND window, Handed* handed) {
  DWORD start = GetTickCount();
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutW(window, WM_APP, 0, reinterpret_cast<LPARAM>(handed), SMTO_NORMAL, 15000,
                           &ignored)) {
    handed->result = -1;
  }
  handed->ms = GetTickCount() - start;
}

// The host's UI thread: handles what other threads hand it until told to end.
HWND uiWindow = nullptr;

DWORD WINAPI UiLoop(void* ready) {
  uiWindow = HandedWindow();
  SetEvent(ready);
  for (MSG m; GetMessageW(&m, nullptr, 0, 0) > 0;) DispatchMessageW(&m);
  DestroyWindow(uiWindow);
  return 0;
}

HANDLE StartUi() {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE ui = CreateThread(nullptr, 0, UiLoop, ready, 0, nullptr);
  WaitForSingleObject(ready, 5000);
  CloseHandle(ready);
  return ui;
}

void EndUi(HANDLE ui) {
  PostThreadMessageW(GetThreadId(ui), WM_QUIT, 0, 0);
  CHECK(WaitForSingleObject(ui, 10000) == WAIT_OBJECT_0);
  CloseHandle(ui);
}

int ShowRow(int first) {
  const unsigned char row[1] = {static_cast<unsigned char>(first)};
  return bridge.Display(row, 1);
}

DWORD WINAPI ShowRowOnThread(void* first) {
  return static_cast<DWORD>(ShowRow(static_cast<int>(reinterpret_cast<INT_PTR>(first))));
}

// Waits up to 10 s for a thread, handling the messages sent meanwhile (the
// thread may be sending to this one), and closes it.
bool Joined(HANDLE thread) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < 10000;) {
    if (MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_SENDMESSAGE) == WAIT_OBJECT_0) break;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  bool ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return ended;
}

// Waits until a helper restarted by a call runs: that call is then in it.
void UntilRestarting() {
  for (int i = 0; i < 2500 && Helpers().empty(); ++i) Sleep(2);
}

// Sends the host's thread its work once a call of the host restarts the helper.
struct Later {
  HWND window;
  Handed handed;
};

DWORD WINAPI HandLater(void* later) {
  UntilRestarting();
  Sleep(20);
  Hand(static_cast<Later*>(later)->window, &static_cast<Later*>(later)->handed);
  return 0;
}

// Thread T restarts the lost helper, which takes a while. Meanwhile the host's
// thread shows row 1 and waits its turn, and a message handled while it waits
// shows row 2: row 2 reaches the display after row 1.
void AWaitingThreadsHandlerGoesAfterIt(HWND window) {
  SimLog log("bridge-order.log");
  CHECK_EQ(40, bridge.Init("log=bridge-order.log", OnChord));
  EndTheHelper();
  HANDLE t = CreateThread(nullptr, 0, ShowRowOnThread, reinterpret_cast<void*>(0x10), 0, nullptr);
  UntilRestarting();
  Later later = {window, {ShowRow, 2, 0, 0}};
  HANDLE sender = CreateThread(nullptr, 0, HandLater, &later, 0, nullptr);
  DWORD start = GetTickCount();
  CHECK_EQ(1, ShowRow(1));
  DWORD waited = GetTickCount() - start;
  CHECK(Joined(t) && Joined(sender));
  std::vector<int> rows = RowsShown(log.Since());
  printf("  row 1 waited %lu ms for another thread's restart; last row shown %d\n", waited,
         rows.empty() ? -1 : rows.back());
  CHECK(waited >= 30);
  CHECK_EQ(1, later.handed.result);
  CHECK(rows.size() >= 2 && rows[rows.size() - 2] == 1 && rows.back() == 2);
  bridge.Terminate();
}

// On the host's thread, handled while its BrlTimer restarts the helper: rows
// 0x11 and 0x12 with a sleep between them, all kept.
int RowSleepRow(int) {
  return ShowRow(0x11) + bridge.Sleep(1) + ShowRow(0x12);
}

Handed handedByCallback;

int __stdcall HandToUi(int, int) {
  Hand(uiWindow, &handedByCallback);
  return 0;
}

// A chord handed to the UI thread, which shows a row (0x13) while the host's
// thread had kept a row, a sleep and a row from a message handled earlier in
// the same call: after waking, the display shows 0x13, the host's latest.
void AHandedRowGoesAfterKeptSleep(HWND window) {
  SimLog log("bridge-kept.log");
  WriteKeys("bridge-kept.txt", "0 3 0x03 5\n");
  CHECK_EQ(40, bridge.Init("log=bridge-kept.log;keys=bridge-kept.txt", HandToUi));
  EndTheHelper();
  handedByCallback = {ShowRow, 0x13, 0, 0};
  Later later = {window, {RowSleepRow, 0, 0, 0}};
  HANDLE sender = CreateThread(nullptr, 0, HandLater, &later, 0, nullptr);
  Timer();
  CHECK(Joined(sender));
  CHECK_EQ(3, later.handed.result);
  CHECK_EQ(1, handedByCallback.result);
  CHECK_EQ(1, bridge.Sleep(0));
  std::vector<int> rows = RowsShown(log.Since());
  printf("  after a kept sleep and a handed row, the wake shows %d\n",
         rows.empty() ? -1 : rows.back());
  CHECK(!rows.empty() && rows.back() == 0x13);
  bridge.Terminate();
}

// "Braille off" handed to the UI thread: the hand-off returns at once with
// BrlSleep's 1, and the row is blanked and the display closed by the end of
// the call.
void AHandedSleepClosesTheDisplay() {
  SimLog log("bridge-off.log");
  WriteKeys("bridge-off.txt", "0 3 0x03 5\n");
  CHECK_EQ(40, bridge.Init("log=bridge-off.log;keys=bridge-off.txt", HandToUi));
  CHECK_EQ(1, ShowRow(0x21));
  handedByCallback = {[](int flag) { return bridge.Sleep(flag); }, 1, 0, 0};
  Timer();
  std::string seen = log.Since();
  printf("  a handed BrlSleep(1) returned %d after %lu ms\n", handedByCallback.result,
         handedByCallback.ms);
  CHECK_EQ(1, handedByCallback.result);
  CHECK(handedByCallback.ms <= 250);
  CHECK(seen.find("Affichage 0000") != std::string::npos &&
        seen.find("Fermeture") != std::string::npos);
  CHECK_EQ(1, bridge.Sleep(0));
  bridge.Terminate();
}

// 40 rows handed to the UI thread while the callback runs are kept, 32 at
// most: each answers 1, and the newest row is shown last.
int __stdcall HandManyRows(int, int) {
  for (int i = 1; i <= 40; ++i) {
    Handed handed = {ShowRow, i, 0, 0};
    Hand(uiWindow, &handed);
    handedByCallback.result += handed.result;
  }
  return 0;
}

void KeptRowsKeepTheNewest() {
  SimLog log("bridge-many.log");
  WriteKeys("bridge-many.txt", "0 3 0x03 5\n");
  CHECK_EQ(40, bridge.Init("log=bridge-many.log;keys=bridge-many.txt", HandManyRows));
  handedByCallback.result = 0;
  Timer();
  std::vector<int> rows = RowsShown(log.Since());
  CHECK_EQ(40, handedByCallback.result);
  CHECK(!rows.empty() && rows.back() == 40 && std::is_sorted(rows.begin(), rows.end()));
  bridge.Terminate();
}

// A's callback starts B polling and returns after 200 ms; B's own callback
// then takes 5 s. A's BrlTimer returns once its callback has, and A's next
// BrlTimer, while B's callback runs, at once.
volatile LONG bInCallback = 0;

int __stdcall SlowOnB(int, int);

DWORD WINAPI PollUntilChord(void*) {
  for (int i = 0; i < 150 && !bInCallback; ++i) {
    bridge.Timer();
    Sleep(20);
  }
  return 0;
}

HANDLE poller = nullptr;

int __stdcall SlowOnB(int, int) {
  if (GetCurrentThreadId() == hostThread) {
    poller = CreateThread(nullptr, 0, PollUntilChord, nullptr, 0, nullptr);
    Sleep(200);
  } else {
    InterlockedExchange(&bInCallback, 1);
    Sleep(5000);
  }
  return 0;
}

void AnotherThreadsCallbackHoldsNoCall() {
  WriteKeys("bridge-slow.txt", "0 3 0x03 5\n100 3 0x03 6\n");
  CHECK_EQ(40, bridge.Init("keys=bridge-slow.txt", SlowOnB));
  int result = 1;
  DWORD own = TimedTimer(&result);
  for (int i = 0; i < 200 && !bInCallback; ++i) Sleep(10);
  CHECK(bInCallback);
  DWORD next = TimedTimer(&result);
  printf("  A's BrlTimer took %lu ms (its callback 200 ms), the next %lu ms\n", own, next);
  CHECK(own < 1000 && next < 100);
  CHECK(WaitForSingleObject(poller, 10000) == WAIT_OBJECT_0);
  CloseHandle(poller);
  bridge.Terminate();
}

void OneOrder() {
  HWND window = HandedWindow();
  HANDLE ui = StartUi();
  AWaitingThreadsHandlerGoesAfterIt(window);
  AHandedRowGoesAfterKeptSleep(window);
  AHandedSleepClosesTheDisplay();
  KeptRowsKeepTheNewest();
  EndUi(ui);
  DestroyWindow(window);
  AnotherThreadsCallbackHoldsNoCall();
}

// The styles the bridge shows a box with (Wine gives an MB_TOPMOST box no
// WS_EX_TOPMOST, so they are read from the call).
UINT shownBoxType = 0;

int WINAPI RecordBoxType(HWND owner, const char* text, const char* caption, UINT type) {
  shownBoxType = type;
  return MessageBoxA(owner, text, caption, type);
}

int displayedOnChord = 0;

int __stdcall DisplayOnChord(int, int) {
  const unsigned char row[1] = {1};
  displayedOnChord += bridge.Display(row, 1);
  return 0;
}

// Boxes come while the display opens, one a call, its styles masked; chords
// only in BrlTimer: a chord in BrlDisplay ends the helper at once, the
// callback not run.
void FaultyBoxesAndChords() {
  for (const char* fault : {"topmost", "boxes"}) {
    MessageBoxWatcher watcher;
    SetEnvironmentVariableA("BRLVELT_FAKE_HELPER", fault);
    CHECK(ImportPatch::Apply(bridge.Module(), "user32.dll", "MessageBoxA",
                             reinterpret_cast<void*>(RecordBoxType)));
    bool topmost = strcmp(fault, "topmost") == 0;
    CHECK_EQ(topmost ? 40 : 0, bridge.Init("cells=40", OnChord));
    CHECK_EQ(1, MessageBoxWatcher::seen().size());
    CHECK(SawBox("Fausse alerte", "Erreur"));
    CHECK_EQ(topmost ? 1 : 0, Helpers().size());
    if (topmost) {
      CHECK((shownBoxType & (MB_TOPMOST | MB_SETFOREGROUND | MB_SERVICE_NOTIFICATION)) ==
            (MB_TOPMOST | MB_SETFOREGROUND));
    }
    bridge.Unload();
    CHECK(bridge.Load(L"brlvelt.dll"));
  }
  // The host's time in the callback, and the helper's in the calls it makes,
  // are not the outer call's: 27 chords, each nested BrlDisplay answered after
  // 200 ms, all go through, well past BrlTimer's own deadline; the 28th chord,
  // more than one poll can report, ends the helper.
  SetEnvironmentVariableA("BRLVELT_FAKE_HELPER", "slowchords");
  CHECK_EQ(40, bridge.Init("cells=40", DisplayOnChord));
  displayedOnChord = 0;
  DWORD began = GetTickCount();
  CHECK_EQ(0, Timer());
  DWORD took = GetTickCount() - began;
  printf("  slowchords: BrlTimer returned after %lu ms\n", took);
  CHECK_EQ(27, displayedOnChord);
  CHECK(took > kCallMs && took < 27 * 200 + 2000);
  CHECK(Helpers().empty());
  CHECK_EQ(0, bridge.Terminate());
  SetEnvironmentVariableA("BRLVELT_FAKE_HELPER", "displaychord");
  CHECK_EQ(40, bridge.Init("cells=40", OnChord));
  chords.clear();
  const unsigned char row[1] = {1};
  DWORD start = GetTickCount();
  CHECK_EQ(0, bridge.Display(row, 1));
  CHECK(GetTickCount() - start < 1000);
  CHECK(chords.empty());
  CHECK(Helpers().empty());
  CHECK_EQ(0, bridge.Terminate());
}

// A helper that outlives its pipe is ended at unload, which handles no message
// and takes at most a second.
void UnloadEndsAHelperThatStays() {
  SetEnvironmentVariableA("BRLVELT_FAKE_HELPER", "stay");
  CHECK_EQ(40, bridge.Init("cells=40", OnChord));
  CHECK_EQ(1, Helpers().size());
  DWORD start = GetTickCount();
  bridge.Unload();
  DWORD took = GetTickCount() - start;
  printf("  stay: unloading took %lu ms\n", took);
  CHECK(took >= 400 && took <= 1100);
  CHECK(Helpers().empty());
  CHECK(bridge.Load(L"brlvelt.dll"));
}

// Init under each way the fake helper breaks the protocol: 0 within the
// deadline, the helper named, and a fresh helper for the next try.
void FaultyHelpersAreEnded() {
  const struct {
    const char* fault;
    const char* text;
  } cases[] = {
      {"oversized", "Erreur de communication avec le fichier "},
      {"unknown", "Erreur de communication avec le fichier "},
      {"cells", "Erreur de communication avec le fichier "},
      {"exit", "Erreur de communication avec le fichier "},
      {"failed", "Impossible de charger le fichier X:\\nowhere\\brlvelt.dll"},
  };
  for (const auto& c : cases) {
    MessageBoxWatcher watcher;
    SetEnvironmentVariableA("BRLVELT_FAKE_HELPER", c.fault);
    CHECK_EQ(0, bridge.Init("cells=40", OnChord));
    if (!SawBox(c.text, c.text[0] == 'I' ? "Erreur de chargement" : "Erreur")) {
      printf("  fault %s: no box \"%s\"\n", c.fault, c.text);
      CHECK(false);
    }
  }
  for (const char* fault : {"chord", "keys", "silent", "drip", "held", "scancode", "timerbox"}) {
    KeyRecorder recorder;
    MessageBoxWatcher watcher;
    SetEnvironmentVariableA("BRLVELT_FAKE_HELPER", fault);
    CHECK_EQ(40, bridge.Init("cells=40", OnChord));
    DWORD start = GetTickCount();
    CHECK_EQ(0, Timer());
    DWORD took = GetTickCount() - start;
    printf("  %s: BrlTimer returned after %lu ms\n", fault, took);
    // A message the helper may not send ends it at once.
    bool late = strcmp(fault, "silent") == 0 || strcmp(fault, "drip") == 0;
    CHECK(took < (late ? 3500u : 1000u));
    KeyRecorder::Pump(50);
    if (strcmp(fault, "held") == 0 || strcmp(fault, "scancode") == 0) CHECK(Balanced());
    CHECK(MessageBoxWatcher::seen().empty());
    CHECK_EQ(0, bridge.Terminate());
    AnswersWithNoDisplay();
  }
  FaultyBoxesAndChords();
}

// Restarts that fail (the fresh helper ends at once) show no box and return 0;
// past the limit, the one box.
void FailedRestartsShowOneBox() {
  MessageBoxWatcher watcher;
  const unsigned char row[1] = {1};
  SetEnvironmentVariableA("BRLVELT_FAKE_HELPER", "chord");
  CHECK_EQ(40, bridge.Init("cells=40", OnChord));
  CHECK_EQ(0, Timer());
  SetEnvironmentVariableA("BRLVELT_FAKE_HELPER", "exit");
  for (int restart = 0; restart < 3; ++restart) CHECK_EQ(0, bridge.Display(row, 1));
  CHECK(MessageBoxWatcher::seen().empty());
  CHECK_EQ(0, bridge.Display(row, 1));
  CHECK_EQ(1, MessageBoxWatcher::seen().size());
  CHECK(SawBox("Erreur de communication avec le fichier ", "Erreur"));
  CHECK_EQ(0, bridge.Terminate());
}

// A helper that never answers BrlInit: the whole call, the helper's start
// included, ends by the one deadline (the box it then shows is the user's time).
void InitEndsByItsDeadline() {
  MessageBoxWatcher watcher;
  SetEnvironmentVariableA("BRLVELT_FAKE_HELPER", "mute");
  DWORD start = GetTickCount();
  CHECK_EQ(0, bridge.Init("cells=40", OnChord));
  CHECK(SawBox("Erreur de communication avec le fichier ", "Erreur"));
  if (MessageBoxWatcher::seen().empty()) return;
  DWORD took = MessageBoxWatcher::seen()[0].shownAt - start;
  printf("  mute: BrlInit gave up (its box shown) after %lu ms\n", took);
  CHECK(took >= 19500 && took < 21500);
}

// Outages of the display, as in-process: the helper's driver brings it back by
// itself, and no deadline ends the helper during an ask or a fresh start.
void OutagesAsInProcess() {
  outages::PowerCycle(bridge, "bridge-power.log");
  std::vector<DWORD> helper = Helpers();
  CHECK_EQ(1, helper.size());
  outages::UnplugAndPlugIn(bridge, "bridge-cable.log");
  CHECK(Helpers() == helper);
}

}  // namespace

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  hostThread = GetCurrentThreadId();
  CHECK(bridge.Load(L"brlvelt.dll"));
  if (strcmp(mode, "session") == 0) {
    RefusedSettingsStartNothing();
    SleepBeforeInitAsTheDriver();
    EveryExportAnswersAsTheDriver();
    ChordsReachTheCallbackWhichMayCallIn();
    MessageBoxesAppearInTheHost();
    TypedTextArrivesInTheFocusedField();
    AMessageDrivenHost();
    CapsLockIsTheHosts();
    TwoThreadsEachGetTheirResult();
    AHandsWorkToB(false);
    AHandsWorkToB(true);
    UnloadRunsNoHostCode();
  } else if (strcmp(mode, "order") == 0) {
    OneOrder();
  } else if (strcmp(mode, "crash") == 0) {
    ASessionOutlivesItsHelper();
    AFailedReopenIsAFailedRestart();
    AThreadDyingInACallLeavesNothing(false);
  } else if (strcmp(mode, "reusedid") == 0 && !AThreadDyingInACallLeavesNothing(true)) {
    bridge.Unload();
    printf("skipped: Windows gave the dead thread's id to none of 5000 threads\n");
    return kSkipped;
  } else if (strcmp(mode, "missing") == 0) {
    RefusedSettingsStartNothing();
    AMissingHelperIsNamed();
  } else if (strcmp(mode, "faulty") == 0) {
    UnloadEndsAHelperThatStays();
    FaultyHelpersAreEnded();
    FailedRestartsShowOneBox();
  } else if (strcmp(mode, "deadline") == 0) {
    InitEndsByItsDeadline();
  } else if (strcmp(mode, "outages") == 0) {
    OutagesAsInProcess();
  }
  bridge.Unload();
  return check::Finish("bridge_test");
}
