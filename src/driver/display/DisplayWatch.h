// Whether the display is still there, told by a cheap question, its cell count,
// asked on quiet polls: what the answers mean and when to ask again. The
// display leaves with an answer of 0 or less after a positive one and comes
// back with a positive one; answers of 0 (no communication) for a while call
// for starting the device library afresh, paced so that a library that never
// answers costs little. The owner asks, starts afresh and acts; this class only
// keeps the times, on the tick counter, and logs what it decided.
#pragma once

#include <windows.h>

class DisplayWatch {
 public:
  // What the owner does on a quiet poll.
  enum Step { kWait, kAsk, kFreshStart };
  // What an answer asks of the owner.
  enum Action { kNothing, kLetGo, kSendRow };

  static const DWORD kAskMs = 500;              // between two asks, at first
  static const DWORD kSlowAskMs = 50;           // an ask slower than this doubles the interval
  static const DWORD kLongestAskMs = 8000;      // the interval's ceiling
  static const DWORD kPcSleptMs = 5000;         // a gap between polls this long: ask at once
  static const DWORD kLinkLostMs = 2000;        // answers of 0 this long: start afresh
  static const DWORD kFreshStartMs = 3000;      // between fresh starts, at first
  static const DWORD kPatientAfterMs = 60000;   // link lost this long: start afresh less often
  static const DWORD kPatientMs = 30000;        // between fresh starts then
  static const DWORD kSlowFreshStartMs = 1000;  // one slower: no more this session

  // A session opened with a display that answered: the environment variable
  // BRLVELT_WATCH=0 leaves the watch off for it.
  void Start(DWORD now);
  // The display opened again by a wake: watched as at the start, but a slow
  // library stays slow and fresh starts stay off once they were turned off.
  void Resume(DWORD now);
  // Every poll, at its end: notes a gap long enough for the PC to have slept.
  void Polled(DWORD now);
  Step Next(DWORD now) const;
  // An answer to an ask made at now, how long it took, and the cells the host
  // was given.
  Action Answered(int answer, DWORD askMs, DWORD now, int hostCells);
  // A fresh start made at now that took tookMs.
  void FreshStarted(DWORD tookMs, DWORD now);
  // Fresh starts began since the link was lost, it is not back, and more will
  // come: the row the host shows meanwhile waits for the display.
  bool Reopening() const { return linkLost && freshStarts > 0 && freshStartsOn; }

 private:
  void Slow(DWORD askMs);
  Action Left(int answer);
  Action Back(int answer, int hostCells);
  DWORD FreshStartInterval(DWORD now) const;

  bool on = false;
  bool freshStartsOn = true;
  bool present = false;
  DWORD interval = kAskMs;
  DWORD lastAsk = 0;
  bool polled = false;
  DWORD lastPoll = 0;
  bool gap = false;
  bool linkLost = false;
  DWORD lostSince = 0;
  int freshStarts = 0;
  DWORD lastFreshStart = 0;
};
