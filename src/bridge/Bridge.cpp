#include "Bridge.h"

#include <stdio.h>
#include <string.h>

namespace {

const wchar_t kCannotLoad[] = L"Impossible de charger le fichier ";
const wchar_t kLoadCaption[] = L"Erreur de chargement";
const wchar_t kNoAnswer[] = L"Erreur de communication avec le fichier ";
const wchar_t kNoAnswerCaption[] = L"Erreur";

// A cell count and a status-cell count, each within the driver's row.
bool PlausibleCells(int result) {
  return (result & ~0xFFFF) == 0 && (result & 0xFF) <= BrailleDisplay::kCells &&
         (result >> 8) <= BrailleDisplay::kCells;
}

}  // namespace

Bridge::~Bridge() {
  keys.ReleaseAll();
}

// Settings the driver refuses change nothing in it, and start nothing here.
int Bridge::Init(const char* hostSettings, KeyCallback hostCallback) {
  int length = BrailleDisplay::SettingsLength(hostSettings);
  if (length < 0) return 0;
  CallDeadline deadline(kOpenMs);
  givenUp = false;
  restarts.Reset();
  if (!Attached()) {
    session = false;
    if (!Launch(deadline, true)) return 0;
  }
  memcpy(settings, hostSettings, length + 1);
  callback = hostCallback;
  int result = 0;
  if (Call(InitRequest(), deadline, &result) && PlausibleCells(result)) {
    session = session || result != 0;
    return result;
  }
  End();
  Report(kNoAnswer, helper.Path(), kNoAnswerCaption);
  return 0;
}

// The driver clears its cells as it closes the display.
int Bridge::Terminate() {
  CallDeadline deadline(kCallMs);
  session = false;
  NoteRow(nullptr, 0);
  int result = 0;
  return Attached() && Call(Message(MessageKind::kTerminate), deadline, &result) ? result : 0;
}

int Bridge::Display(const unsigned char* cells, int count) {
  return Show(MessageKind::kDisplay, cells, count);
}

int Bridge::DisplayStatus(const unsigned char* cells, int count) {
  return Show(MessageKind::kDisplayStatus, cells, count);
}

int Bridge::Clear() {
  return Forward(MessageKind::kClear);
}

int Bridge::Refresh() {
  return Forward(MessageKind::kRefresh);
}

// Without a helper the flag is kept here, as the driver keeps it with no
// display open; waking is what opens the display. The flag is the host's wish,
// set before the call as the driver sets it: a call that fails leaves a helper
// to restart awake, or none while asleep.
int Bridge::Sleep(int flag) {
  CallDeadline deadline(kOpenMs);
  if (!Attached()) {
    if (givenUp) return 0;
    if (flag == sleeping || flag != 0) {
      sleeping = flag;
      return 1;
    }
    return Wake(deadline);
  }
  if (flag && !sleeping) NoteRow(nullptr, 0);  // going to sleep clears the cells
  sleeping = flag;
  Message request(MessageKind::kSleep);
  request.PutInt(flag);
  int result = 0;
  return Call(request, deadline, &result) ? result : 0;
}

// Waking with no helper opens the display in a fresh one: in a session as after
// a lost helper; after one, with its last settings and callback, as the driver
// keeps them; before any, as the driver wakes with none.
int Bridge::Wake(CallDeadline& deadline) {
  if (session || settings[0] || callback) {
    sleeping = 0;
    if (session) return Offline(Revive(deadline), 1);
    Reopen(deadline, true);
    return 1;
  }
  bool launched = Launch(deadline, true);  // asleep, as the driver is now
  sleeping = 0;
  Message wake(MessageKind::kSleep);
  wake.PutInt(0);
  int result = 1;
  return !launched || Call(wake, deadline, &result) ? result : 0;
}

int Bridge::Timer() {
  return Forward(MessageKind::kTimer);
}

int Bridge::Ping() {
  CallDeadline deadline(kCallMs);
  int result = 0;
  return Attached() && Call(Message(MessageKind::kPing), deadline, &result) ? result : 0;
}

// Whether a helper runs; one that ended since the last call is cleared away.
bool Bridge::Attached() {
  if (helper.Running() && !helper.Alive()) End();
  return helper.Running();
}

Bridge::Reached Bridge::Reach(CallDeadline& deadline) {
  return Attached() ? Reached::kHelper : Revive(deadline);
}

// Starts a helper and waits for it to load the driver, giving it the sleep flag
// the driver had; when told to, says why it cannot, naming the file that is
// missing or failing.
bool Bridge::Launch(CallDeadline& deadline, bool report) {
  if (lock.Frames() > 0) return false;
  deadline.Widen(kStartMs);
  HelperProcess::Started started = helper.Start();
  if (started != HelperProcess::Started::kYes) {
    if (report && started == HelperProcess::Started::kCannotRun) {
      Report(kCannotLoad, helper.Path(), kLoadCaption);
    } else if (report) {
      Report(kNoAnswer, helper.Path(), kNoAnswerCaption);
    }
    return false;
  }
  if (!Greeted(deadline, report)) return false;
  Message asleep(MessageKind::kSleep);
  asleep.PutInt(sleeping);
  int result = 0;
  if (sleeping == 0 || Call(asleep, deadline, &result)) return true;
  if (report) Report(kNoAnswer, helper.Path(), kNoAnswerCaption);
  return false;
}

bool Bridge::Greeted(CallDeadline& deadline, bool report) {
  Message first;
  HelperMessage decoded;
  if (helper.Connect(deadline.At()) && helper.Pipe().Receive(&first, deadline.At()) &&
      decoded.Decode(first)) {
    if (decoded.kind == MessageKind::kReady) return true;
    if (decoded.kind == MessageKind::kFailed) {
      wchar_t file[HelperProcess::kPathSize];
      if (!MultiByteToWideChar(CP_UTF8, 0, decoded.text, -1, file, HelperProcess::kPathSize)) {
        file[0] = 0;
      }
      End();
      if (report) Report(kCannotLoad, file, kLoadCaption);
      return false;
    }
  }
  End();
  if (report) Report(kNoAnswer, helper.Path(), kNoAnswerCaption);
  return false;
}

// A session whose helper ended reopens the display in a fresh one, silently;
// past the limit, one box says the driver is lost until the next BrlInit.
Bridge::Reached Bridge::Revive(CallDeadline& deadline) {
  if (!session || sleeping || givenUp || lock.Frames() > 0) return Reached::kNone;
  if (!restarts.Allow(GetTickCount64())) {
    givenUp = true;
    Report(kNoAnswer, helper.Path(), kNoAnswerCaption);
    return Reached::kFailed;
  }
  return Reopen(deadline, false) ? Reached::kHelper : Reached::kFailed;
}

// Starts a helper that opens the display with the last settings and callback
// and sends the row again, as waking does (the display has no status cells to
// restore). The row is read once the display is open: a call from another
// thread during a message box of the open may have changed it.
bool Bridge::Reopen(CallDeadline& deadline, bool report) {
  int opened = 0, shown = 0;
  if (!Launch(deadline, report) || !Call(InitRequest(), deadline, &opened)) return false;
  static const unsigned char kBlank[BrailleDisplay::kCells] = {};
  bool blank = memcmp(row, kBlank, sizeof row) == 0;
  return Call(RowRequest(), deadline, &shown) &&
         (!blank || Call(Message(MessageKind::kRefresh), deadline, &shown));
}

Message Bridge::RowRequest() const {
  Message request(MessageKind::kDisplay);
  request.PutInt(BrailleDisplay::kCells);
  request.PutInt(1);
  request.PutBytes(row, sizeof row);
  return request;
}

// Lets go of the keys the helper held, then ends it.
void Bridge::End() {
  keys.ReleaseAll();
  helper.Stop(0);
}

Message Bridge::InitRequest() const {
  Message request(MessageKind::kInit);
  request.PutInt(1);
  request.PutInt(callback != nullptr);
  request.PutString(settings);
  return request;
}

// The cells the driver may read: as many as the host gave, at most a row. The
// row of a session is kept, helper or not, to be sent again.
int Bridge::Show(MessageKind kind, const unsigned char* cells, int count) {
  CallDeadline deadline(kCallMs);
  if (session && kind == MessageKind::kDisplay) NoteRow(cells, count);
  Reached reached = Reach(deadline);
  if (reached != Reached::kHelper) return Offline(reached, 1);
  Message request(kind);
  request.PutInt(count);
  request.PutInt(cells != nullptr);
  if (cells && count > 0) {
    request.PutBytes(cells, count < BrailleDisplay::kCells ? count : BrailleDisplay::kCells);
  }
  int result = 0;
  return Call(request, deadline, &result) ? result : 0;
}

// Clear, Refresh and Timer: answered as with no display open when no helper
// can be had.
int Bridge::Forward(MessageKind kind) {
  CallDeadline deadline(kCallMs);
  if (session && kind == MessageKind::kClear) NoteRow(nullptr, 0);
  Reached reached = Reach(deadline);
  if (reached != Reached::kHelper) return Offline(reached, kind == MessageKind::kClear ? 1 : 0);
  int result = 0;
  return Call(Message(kind), deadline, &result) ? result : 0;
}

bool Bridge::Call(const Message& request, CallDeadline& deadline, int* result) {
  if (!helper.Running()) return false;
  lock.OpenFrame();
  bool ok = Exchange(request, deadline, result);
  lock.CloseFrame();
  if (!ok) End();
  return ok;
}

// Sends a request and answers the helper's own requests until its result
// comes; a callback may call in again, nesting another exchange.
bool Bridge::Exchange(const Message& request, CallDeadline& deadline, int* result) {
  if (!helper.Pipe().Send(request, deadline.At())) return false;
  Message reply;
  HelperMessage decoded;
  while (helper.Pipe().Receive(&reply, deadline.At()) && decoded.Decode(reply)) {
    if (decoded.kind == MessageKind::kResult) {
      *result = decoded.result;
      return true;
    }
    if (!Answer(decoded, deadline)) return false;
  }
  return false;
}

// While the host's callback or a message box runs, the helper waits and the
// channel is idle: another thread's call may run in between, nested.
bool Bridge::Answer(const HelperMessage& message, CallDeadline& deadline) {
  ULONGLONG since = GetTickCount64();
  int answer = 0;
  ReentrantLock::Turn turn = {};
  switch (message.kind) {
    case MessageKind::kChord:
      turn = lock.StepAside();
      if (callback) callback(message.code, message.param);
      lock.Resume(turn);
      deadline.Exclude(since);
      return Reply(MessageKind::kCallbackDone, 0, deadline);
    case MessageKind::kInput:
      return Inject(message, &answer) && Reply(MessageKind::kInputDone, answer, deadline);
    case MessageKind::kMessageBox:
      turn = lock.StepAside();
      answer = MessageBoxA(nullptr, message.text, message.caption, message.boxType);
      lock.Resume(turn);
      deadline.Exclude(since);
      return Reply(MessageKind::kMessageBoxDone, answer, deadline);
    default:
      return false;
  }
}

bool Bridge::Reply(MessageKind kind, int value, const CallDeadline& deadline) {
  Message reply(kind);
  reply.PutInt(value);
  return helper.Pipe().Send(reply, deadline.At());
}

// The driver's keystrokes, through the call it made, from the host's process,
// each noted while it is down.
bool Bridge::Inject(const HelperMessage& message, int* done) {
  const ForwardedKey* forwarded = message.inputs;
  if (!keys.Fits(message.inputCount)) return false;
  if (message.call == kKeybdEvent) {
    keybd_event(static_cast<BYTE>(forwarded->vk), static_cast<BYTE>(forwarded->scan),
                forwarded->flags, 0);
    keys.Note(kKeybdEvent, *forwarded);
    *done = 0;
    return true;
  }
  INPUT inputs[Message::kMaxInputs] = {};
  for (int i = 0; i < message.inputCount; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = forwarded[i].vk;
    inputs[i].ki.wScan = forwarded[i].scan;
    inputs[i].ki.dwFlags = forwarded[i].flags;
  }
  *done = static_cast<int>(SendInput(message.inputCount, inputs, sizeof(INPUT)));
  for (int i = 0; i < *done && i < message.inputCount; ++i) keys.Note(kSendInput, forwarded[i]);
  return true;
}

// Copies the row as the driver takes it: a shorter row blanks the rest; no
// cells with a count keeps the row.
void Bridge::NoteRow(const unsigned char* cells, int count) {
  if (!cells && count > 0) return;
  int n = count < BrailleDisplay::kCells ? count : BrailleDisplay::kCells;
  memset(row, 0, sizeof row);
  if (n > 0) memcpy(row, cells, n);
}

// The bridge's own boxes come where its state is whole: another thread's call
// may run while the box is up.
void Bridge::Report(const wchar_t* text, const wchar_t* file, const wchar_t* caption) {
  wchar_t message[HelperProcess::kPathSize + 64];
  swprintf(message, HelperProcess::kPathSize + 64, L"%ls%ls", text, file);
  ReentrantLock::Turn turn = lock.StepAside();
  MessageBoxW(nullptr, message, caption, MB_OK);
  lock.Resume(turn);
}
