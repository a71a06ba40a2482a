#include "HostEpisode.h"

#include <stdio.h>

#include "SessionRunner.h"

HostEpisode* HostEpisode::current = nullptr;

namespace {

const DWORD kTickMs = 10;
// Quiet polls that end the loop: longer than the script's wait for its characters.
const int kIdleTicks = 10;
const DWORD kLongestMs = 20000;

HWND MessageWindow(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW type = {};
  type.lpfnWndProc = procedure;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = name;
  RegisterClassW(&type);
  return CreateWindowW(name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, type.hInstance, nullptr);
}

// Waits up to 5 s for a thread, handling the messages it sends meanwhile.
bool Finished(HANDLE thread) {
  for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start < 5000;) {
    DWORD waited = MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_SENDMESSAGE);
    if (waited == WAIT_OBJECT_0) return true;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

}  // namespace

HostEpisode::HostEpisode(const Episode& played, SessionRunner& owner)
    : episode(played),
      runner(owner),
      sent(played.host == Host::kMessages ? played.calls.size() : 0),
      unsent(sent.size()) {}

// A process's first window waits for Wine to start the desktop, which can fail
// when another process starts it at the same moment: tried for 10 s.
HWND HostEpisode::HostWindow() {
  static HWND window = nullptr;
  for (int tries = 0; !window && tries < 20; ++tries) {
    window = MessageWindow(L"TwinHostThread", OnSent);
    if (!window) Sleep(500);
  }
  return window;
}

int HostEpisode::Play() {
  current = this;
  window = HostWindow();
  if (!window) runner.Out().Line("no host window: error %lu", GetLastError());
  HANDLE sender = episode.host == Host::kMessages
                      ? CreateThread(nullptr, 0, SendAll, this, 0, nullptr)
                      : nullptr;
  HANDLE ui = nullptr;
  if (episode.host == Host::kHandOff) {
    uiReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ui = CreateThread(nullptr, 0, RunUiThread, this, 0, nullptr);
    WaitForSingleObject(uiReady, 5000);
  }
  UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, nullptr);
  int agreed = -2;
  ULONGLONG start = GetTickCount64();
  MSG message;
  BOOL got = 0;
  runner.Log().Outage(episode.host == Host::kOutage);
  for (int idle = 0, keys = 0; (got = GetMessageW(&message, nullptr, 0, 0)) > 0;) {
    if (message.message != WM_TIMER || message.hwnd) {
      DispatchMessageW(&message);
      continue;
    }
    int read = Poll(&agreed);
    keys += read;
    idle = read > 0 ? 0 : idle + 1;
    bool senderDone = !sender || WaitForSingleObject(sender, 0) == WAIT_OBJECT_0;
    bool done = senderDone && idle >= kIdleTicks && keys >= episode.keys;
    if (done || GetTickCount64() - start > kLongestMs) break;
  }
  runner.Log().Outage(false);
  KillTimer(nullptr, timer);
  if (got <= 0) runner.Out().Line("the host's message loop ended: GetMessage %d", got);
  bool sendsDone = !sender || Finished(sender);
  if (ui) {
    PostMessageW(uiWindow, WM_CLOSE, 0, 0);
    WaitForSingleObject(ui, 5000);
  }
  for (HANDLE handle : {sender, ui, uiReady}) {
    if (handle) CloseHandle(handle);
  }
  if (!sendsDone) runner.Out().Line("the sending thread did not finish");
  for (size_t i = 0; sendsDone && i < sent.size(); ++i) {
    if (unsent[i]) runner.Out().Line("send %d failed: error %lu", static_cast<int>(i), unsent[i]);
    runner.Out().Line("sent %s", sent[i].c_str());
  }
  for (const std::string& line : after) runner.Out().Line("%s", line.c_str());
  current = nullptr;
  return agreed;
}

// One poll of the host's timer; the key events it read.
int HostEpisode::Poll(int* agreed) {
  int result = runner.Driver().Timer();
  *agreed = *agreed == -2 || *agreed == result ? result : -1;
  return runner.Log().Read();
}

void HostEpisode::OnChord() {
  if (episode.host == Host::kDialog && !dialogDone) RunDialog();
  if (episode.host == Host::kHandOff) HandOff();
}

// A modal loop inside the callback: the host's timer goes on polling, and the
// dialog shows its row, until it closes. Keys typed meanwhile are written as
// if typed after the callback: whether the poll that read the chord read them
// too depends on the clock.
void HostEpisode::RunDialog() {
  dialogDone = true;
  runner.Out().Leave();
  const Step& row = episode.calls[0];
  int shown = -2, polled = -2;
  for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start < DWORD(episode.dialogMs);) {
    int result = runner.Invoke(row);
    shown = shown == -2 || shown == result ? result : -1;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kTickMs, QS_ALLINPUT);
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
      if (message.message == WM_TIMER && !message.hwnd) {
        Poll(&polled);
      } else {
        DispatchMessageW(&message);
      }
    }
  }
  runner.Out().Enter();
  char line[80];
  snprintf(line, sizeof line, "dialog: rows answered %d, polls answered %d", shown,
           polled == -2 ? 0 : polled);
  after.push_back(line);
}

// The chord goes to the second thread, which shows rows; the callback waits.
void HostEpisode::HandOff() {
  handed.clear();
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(uiWindow, WM_APP, 0, 0, SMTO_NORMAL, 10000, &answer)) {
    runner.Out().Line("the second thread did not answer");
  }
  for (const std::string& line : handed) runner.Out().Line("handed %s", line.c_str());
}

std::string HostEpisode::Perform(const Step& step) {
  char text[512];
  runner.Describe(step, text, sizeof text);
  return std::string(text) + " = " + std::to_string(runner.Invoke(step));
}

LRESULT CALLBACK HostEpisode::OnSent(HWND window, UINT message, WPARAM index, LPARAM l) {
  if (message != WM_APP || !current) return DefWindowProcW(window, message, index, l);
  current->sent[index] = current->Perform(current->episode.calls[index]);
  return 0;
}

LRESULT CALLBACK HostEpisode::OnHanded(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CLOSE) PostQuitMessage(0);
  if (message != WM_APP || !current) return DefWindowProcW(window, message, w, l);
  for (const Step& step : current->episode.calls) current->handed.push_back(current->Perform(step));
  return 0;
}

DWORD WINAPI HostEpisode::SendAll(void* played) {
  HostEpisode* self = static_cast<HostEpisode*>(played);
  for (size_t i = 0; i < self->episode.calls.size(); ++i) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(self->window, WM_APP, i, 0, SMTO_NORMAL, kLongestMs, &answer)) {
      self->unsent[i] = GetLastError();
    }
    Sleep(i % 4);
  }
  return 0;
}

DWORD WINAPI HostEpisode::RunUiThread(void* played) {
  HostEpisode* self = static_cast<HostEpisode*>(played);
  self->uiWindow = MessageWindow(L"TwinUiThread", OnHanded);
  SetEvent(self->uiReady);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  DestroyWindow(self->uiWindow);
  return 0;
}
