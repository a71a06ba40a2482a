#include "SessionRunner.h"

#include <stdio.h>
#include <wchar.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "CallRecorder.h"

SessionRunner* SessionRunner::current = nullptr;

namespace {

void WriteFile(const std::string& name, const std::string& text) {
  FILE* file = fopen(name.c_str(), "wb");
  if (!file) return;
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

const char* CallName(Call call) {
  const char* names[] = {"none",  "Init",    "Terminate", "Display", "DisplayStatus",
                         "Clear", "Refresh", "Sleep",     "Timer",   "Episode"};
  return names[static_cast<int>(call)];
}

}  // namespace

SessionRunner::SessionRunner(const wchar_t* hostFolder, Transcript* out) : transcript(out) {
  wcsncpy(folder, hostFolder, MAX_PATH - 1);
}

void SessionRunner::Run(const SessionPlan& session) {
  plan = &session;
  current = this;
  chords = 0;
  transcript->Line("session %u", session.seed);
  Prepare(session);
  // The simulated display draws its random answers (faults=) call by call: the
  // watch's asks, made at times set by the clock, would change every later draw.
  // Such sessions run with the watch off; the bridge's helper inherits it.
  SetEnvironmentVariableW(L"BRLVELT_WATCH", session.Faulty() ? L"0" : nullptr);
  wchar_t path[MAX_PATH + 16];
  swprintf(path, MAX_PATH + 16, L"%ls\\brlvelt.dll", folder);
  if (!driver.Load(path)) transcript->Line("cannot load brlvelt.dll");
  if (!CallRecorder::Attach(driver.Module(), transcript)) transcript->Line("cannot record");
  for (const Step& step : session.steps) {
    if (!driver.Module()) break;
    Perform(step);
    log.Read();
    log.MoveTo(*transcript);
  }
  // What the unload does to the device library is not compared: the bridge's
  // helper ends, and the library with it (as docs/bridge.md says).
  transcript->Line("unload");
  transcript->Enter();
  CallRecorder::BeginUnload();
  driver.Unload();
  WaitForHelpers();
  CallRecorder::EndUnload();
  transcript->Leave();
  ReleaseDeviceLibrary();
  Finish(session);
}

// The session's files, in the work folder of its kind, made current.
void SessionRunner::Prepare(const SessionPlan& session) {
  const wchar_t* kinds[] = {L"work-present", L"work-absent", L"work-nolength"};
  wchar_t work[MAX_PATH + 32];
  swprintf(work, MAX_PATH + 32, L"%ls\\%ls", folder, kinds[session.folder]);
  SetCurrentDirectoryW(work);
  for (size_t i = 0; i < session.scripts.size(); ++i) {
    WriteFile(session.ScriptName(static_cast<int>(i)), session.scripts[i]);
  }
  if (!session.settingsFile.empty()) WriteFile(session.SettingsFileName(), session.settingsFile);
  remove(session.LogName().c_str());
  log.Open(session.LogName());
}

void SessionRunner::Finish(const SessionPlan& session) {
  for (size_t i = 0; i < session.scripts.size(); ++i) {
    remove(session.ScriptName(static_cast<int>(i)).c_str());
  }
  remove(session.SettingsFileName().c_str());
  remove(session.LogName().c_str());
}

// One call, with everything that happened inside it beneath it, and its result.
void SessionRunner::Perform(const Step& step) {
  char text[512];
  Describe(step, *plan, text, sizeof text);
  transcript->Line("%s", text);
  transcript->Enter();
  int result = Invoke(step);
  transcript->Leave();
  transcript->Line("= %d", result);
}

int SessionRunner::Invoke(const Step& step) {
  const unsigned char* cells = step.nullCells ? nullptr : plan->cells + step.offset;
  const SettingsString& settings = plan->settings[step.settings];
  switch (step.call) {
    case Call::kInit:
      return driver.Init(settings.null ? nullptr : settings.text.c_str(),
                         step.callback ? OnChord : nullptr);
    case Call::kTerminate:
      return driver.Terminate();
    case Call::kDisplay:
      return driver.Display(cells, step.count);
    case Call::kDisplayStatus:
      return driver.DisplayStatus(cells, step.count);
    case Call::kClear:
      return driver.Clear();
    case Call::kRefresh:
      return driver.Refresh();
    case Call::kSleep:
      return driver.Sleep(step.value);
    case Call::kTimer:
      return Drain();
    case Call::kEpisode: {
      const Episode& planned = plan->episodes[step.value];
      HostEpisode played(planned, *this);
      episode = &played;
      int result = played.Play();
      episode = nullptr;
      WriteFile(plan->ScriptName(planned.script), planned.replayed);
      return result;
    }
    default:
      return 0;
  }
}

// BrlTimer until a call delivers no key event: all of a script's events are
// due at once, so they are all taken however the polls divide them up. The
// result is the first call's, or -1 when the calls disagree.
int SessionRunner::Drain() {
  int first = driver.Timer();
  for (int calls = 1; calls < 100 && log.Read() > 0; ++calls) {
    if (driver.Timer() != first) first = -1;
  }
  return first;
}

void SessionRunner::Describe(const Step& step, const SessionPlan& plan, char* text, size_t size) {
  const SettingsString& settings = plan.settings[step.settings];
  switch (step.call) {
    case Call::kInit:
      snprintf(text, size, "Init(%s%s%s, %s)", settings.null ? "null" : "\"",
               settings.null ? "" : settings.text.c_str(), settings.null ? "" : "\"",
               step.callback ? "callback" : "null");
      break;
    case Call::kDisplay:
    case Call::kDisplayStatus:
      if (step.nullCells) {
        snprintf(text, size, "%s(null, %d)", CallName(step.call), step.count);
      } else {
        snprintf(text, size, "%s(cells+%d, %d)", CallName(step.call), step.offset, step.count);
      }
      break;
    case Call::kSleep:
      snprintf(text, size, "Sleep(%d)", step.value);
      break;
    case Call::kEpisode: {
      const Episode& episode = plan.episodes[step.value];
      const char* hosts[] = {"Messages", "Dialog", "HandOff", "Outage"};
      const char* host = hosts[static_cast<int>(episode.host)];
      if (episode.host == Host::kOutage) {
        snprintf(text, size, "%s(%d keys)", host, episode.keys);
      } else {
        snprintf(
            text, size, "%s(%zu calls%s)", host, episode.calls.size(),
            episode.host == Host::kDialog && episode.dialogMs > 3000 ? ", past a deadline" : "");
      }
      break;
    }
    default:
      snprintf(text, size, "%s()", CallName(step.call));
  }
}

// The chord, and the call the session's plan makes from inside the callback.
int __stdcall SessionRunner::OnChord(int code, int param) {
  SessionRunner* runner = current;
  runner->transcript->Line("chord %08X %d", static_cast<unsigned>(code), param);
  if (runner->episode) {
    runner->transcript->Enter();
    runner->episode->OnChord();
    runner->transcript->Leave();
    return 0;
  }
  const Step* step = nullptr;
  if (static_cast<unsigned>(code) == (0x80000000u | SessionPlan::kMarkerKey)) {
    step = &runner->plan->onMarker;
  } else if (runner->chords < runner->plan->onChord.size()) {
    step = &runner->plan->onChord[runner->chords];
  }
  ++runner->chords;
  if (!step || step->call == Call::kNone) return 0;
  runner->transcript->Enter();
  // A nested BrlTimer is one call: the script has nothing left after the marker.
  if (step->call == Call::kTimer) {
    runner->transcript->Line("Timer()");
    runner->transcript->Line("= %d", runner->driver.Timer());
  } else {
    runner->Perform(*step);
  }
  runner->transcript->Leave();
  return 0;
}

// The bridge's helpers still running after the unload, waited for: a session
// must not find the last one's device library open.
void SessionRunner::WaitForHelpers() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID != GetCurrentProcessId()) continue;
    if (_wcsicmp(entry.szExeFile, L"brlvelthost.exe") != 0) continue;
    HANDLE helper = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (helper && WaitForSingleObject(helper, 5000) != WAIT_OBJECT_0) {
      current->transcript->Line("helper still running 5 s after the unload");
    }
    if (helper) CloseHandle(helper);
  }
  CloseHandle(snapshot);
}

// The in-process driver leaves the device library loaded at unload; a host
// process that ended would have released it, as the bridge's helper does.
void SessionRunner::ReleaseDeviceLibrary() {
  for (int i = 0; i < 64; ++i) {
    HMODULE library = GetModuleHandleW(L"VELT.DLL");
    if (!library) return;
    FreeLibrary(library);
  }
}
