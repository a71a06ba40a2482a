// One of the eight calls as the bridge carries it: its kind, its arguments as
// the driver reads them, and what the host was told if it was kept. What each
// kind is to the bridge (deadline, box, row, answer when kept) is the table
// below; every rule reads it there.
#pragma once

#include <windows.h>

#include "../shared/facts/DriverLimits.h"
#include "channel/Message.h"

struct Call {
  // What a kept call answers: BrlInit is refused (only the display can tell its
  // answer), BrlTimer is an empty poll (the keys wait in the display); both are
  // then dropped. The others are carried out later.
  enum class WhenKept { kRefused, kEmptyPoll, kOne, kZero, kAsTheDriver };
  enum class Box { kNever, kMay, kOnWake };

  struct Kind {
    MessageKind kind;
    const char* name;
    DWORD deadlineMs;  // the whole call; a call that starts a helper gets kStartMs
    Box box;           // the driver shows boxes only while the display opens
    bool changesRow;   // a kept row may take the place of an older kept row
    WhenKept kept;
  };

  static const DWORD kStartMs = 20000;
  static const Kind& Of(MessageKind kind);
  // Whether a request to the helper may bring the driver's box.
  static bool MayShowBox(const Message& request);

  const Kind& Is() const { return Of(kind); }
  bool MayShowBox() const { return Is().box == Box::kMay || (Is().box == Box::kOnWake && !value); }
  bool Queued() const {
    return Is().kept != WhenKept::kRefused && Is().kept != WhenKept::kEmptyPoll;
  }

  MessageKind kind = MessageKind::kDisplay;
  int value = 0;       // the cell count, or BrlSleep's flag
  bool cells = false;  // whether the host gave cells
  int answered = 0;    // what the host was told, if kept
  unsigned char row[DriverLimits::kCells] = {};
};
