// The bridge as a 64-bit host sees it: brlvelt.dll beside this program, the
// helper with the real driver and the simulated display in brlvelthost\ beside
// it. Usage: bridge_test session|crash|missing|faulty; needs a display
// (with-xvfb). faulty runs against a fake helper that breaks the protocol as
// the environment variable BRLVELT_FAKE_HELPER says.
#include <string.h>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <vector>

#include "../../src/loader/DriverModule.h"
#include "Check.h"
#include "KeyRecorder.h"
#include "MessageBoxWatcher.h"
#include "SimFiles.h"

namespace {

DriverModule bridge;
std::vector<unsigned> chords;
bool nestedCalls = false;
bool inTimer = false;
DWORD hostThread = 0;

// Records each chord; on the first, calls back into the bridge and checks the
// driver was reached before the callback returns.
int __stdcall OnChord(int code, int param) {
  CHECK(inTimer && GetCurrentThreadId() == hostThread);
  chords.push_back(static_cast<unsigned>(code));
  chords.push_back(static_cast<unsigned>(param));
  if (!nestedCalls) return 0;
  nestedCalls = false;
  const unsigned char row[2] = {0x07, 0x38};
  CHECK_EQ(1, bridge.Display(row, 2));
  CHECK_EQ(0, bridge.Timer());
  CHECK_EQ(1, Count(ReadWholeFile("bridge-nested.log"), "Affichage 0738"));
  return 0;
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
  RunTimer(100);
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

// Every call of a session without its helper returns 0 at once.
void CallsFailAtOnce() {
  const unsigned char row[1] = {1};
  DWORD start = GetTickCount();
  CHECK_EQ(0, bridge.Display(row, 1));
  CHECK_EQ(0, bridge.DisplayStatus(row, 1));
  CHECK_EQ(0, bridge.Clear());
  CHECK_EQ(0, bridge.Refresh());
  CHECK_EQ(0, bridge.Sleep(1));
  CHECK_EQ(0, Timer());
  CHECK_EQ(0, bridge.Terminate());
  CHECK(GetTickCount() - start < 200);
}

void ASessionOutlivesItsHelper() {
  MessageBoxWatcher watcher;
  const unsigned char row[1] = {0x01}, fatal[1] = {0xFF};
  CHECK_EQ(40, bridge.Init("cells=40;crash=255", OnChord));
  CHECK_EQ(1, bridge.Display(row, 1));
  DWORD start = GetTickCount();
  CHECK_EQ(0, bridge.Display(fatal, 1));
  CHECK(GetTickCount() - start < 3000);
  CallsFailAtOnce();
  CHECK(Helpers().empty());
  CHECK_EQ(40, bridge.Init("cells=40", OnChord));
  std::vector<DWORD> helpers = Helpers();
  CHECK_EQ(1, helpers.size());
  HANDLE helper = helpers.empty() ? nullptr : OpenProcess(PROCESS_TERMINATE, FALSE, helpers[0]);
  CHECK(helper && TerminateProcess(helper, 9));
  if (helper) CloseHandle(helper);
  CHECK_EQ(0, bridge.Display(row, 1));
  CallsFailAtOnce();
  CHECK(MessageBoxWatcher::seen().empty());
  CHECK_EQ(40, bridge.Init("cells=40", OnChord));
  CHECK_EQ(1, bridge.Display(row, 1));
  bridge.Terminate();
}

void AMissingHelperIsNamed() {
  MessageBoxWatcher watcher;
  CHECK_EQ(0, bridge.Init("cells=40", OnChord));
  CHECK(SawBox("Impossible de charger le fichier ", "Erreur de chargement"));
  CHECK(!MessageBoxWatcher::seen().empty() &&
        MessageBoxWatcher::seen()[0].text.find("\\brlvelthost\\brlvelthost.exe") !=
            std::string::npos);
  CallsFailAtOnce();
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
  for (const char* fault : {"chord", "keys", "silent"}) {
    SetEnvironmentVariableA("BRLVELT_FAKE_HELPER", fault);
    CHECK_EQ(40, bridge.Init("cells=40", OnChord));
    DWORD start = GetTickCount();
    CHECK_EQ(0, Timer());
    CHECK(GetTickCount() - start < 4000);
    CallsFailAtOnce();
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "";
  hostThread = GetCurrentThreadId();
  CHECK(bridge.Load(L"brlvelt.dll"));
  if (strcmp(mode, "session") == 0) {
    EveryExportAnswersAsTheDriver();
    ChordsReachTheCallbackWhichMayCallIn();
    MessageBoxesAppearInTheHost();
    TypedTextArrivesInTheFocusedField();
  } else if (strcmp(mode, "crash") == 0) {
    ASessionOutlivesItsHelper();
  } else if (strcmp(mode, "missing") == 0) {
    AMissingHelperIsNamed();
  } else if (strcmp(mode, "faulty") == 0) {
    FaultyHelpersAreEnded();
  }
  bridge.Unload();
  return check::Finish("bridge_test");
}
