// Plays one episode of a session as a message-driven screen reader would (see
// Host): the thread polls from a timer and idles in GetMessage until the
// episode's script is read and its other threads are done. What it saw goes to
// the transcript in an order that depends on no clock: chords, keystrokes and
// calls made inside polls as they come; the rows the sent messages asked for,
// and the dialog's answers, after.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "SessionPlan.h"

class SessionRunner;

class HostEpisode {
 public:
  HostEpisode(const Episode& episode, SessionRunner& runner);
  // The result of every BrlTimer of the loop, or -1 when they disagree.
  int Play();
  // A chord of the episode's script, already written down.
  void OnChord();
  // The polling thread's window, made once for the process by the thread that
  // plays the episodes; null when it cannot be made.
  static HWND HostWindow();

 private:
  int Poll(int* agreed);
  void RunDialog();
  void HandOff();
  std::string Perform(const Step& step);
  static LRESULT CALLBACK OnSent(HWND window, UINT message, WPARAM index, LPARAM);
  static LRESULT CALLBACK OnHanded(HWND window, UINT message, WPARAM, LPARAM);
  static DWORD WINAPI SendAll(void* episode);
  static DWORD WINAPI RunUiThread(void* episode);

  static HostEpisode* current;
  const Episode& episode;
  SessionRunner& runner;
  HWND window = nullptr;    // the polling thread's
  HWND uiWindow = nullptr;  // the second thread's
  HANDLE uiReady = nullptr;
  bool dialogDone = false;
  std::vector<std::string> sent;  // what each sent message's call answered
  std::vector<DWORD> unsent;      // the sending thread's error for each it could not send
  std::vector<std::string> handed;
  std::vector<std::string> after;  // written when the episode ends
};
