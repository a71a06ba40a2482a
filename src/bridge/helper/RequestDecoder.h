// A request from the bridge, checked field by field and decoded into the
// arguments the driver's export would receive: settings the driver accepts or
// none, a callback or none, the count as the host gave it with the cells the driver
// may read (or none), the sleep flag; or the answer to one of the helper's own
// questions. Makes no Win32 call.
#pragma once

#include <stdint.h>

#include "../../shared/facts/DriverLimits.h"
#include "../channel/Message.h"

class RequestDecoder {
 public:
  // False for anything the bridge does not send: a kind that is not a request
  // or an answer, fields missing or left over, flags other than 0 and 1, cells
  // that do not match the count, settings the driver would refuse as too long.
  bool Decode(Message& message);

  MessageKind kind = MessageKind::kPing;
  const char* settings = nullptr;        // kInit: null when the host gave none
  bool callback = false;                 // kInit
  int32_t count = 0;                     // kDisplay, kDisplayStatus
  const unsigned char* cells = nullptr;  // null when the host gave none
  int32_t flag = 0;                      // kSleep
  bool capsLock = false;                 // kTimer: as the host's thread reads it
  int32_t answer = 0;                    // kCallbackDone, kInputDone, kMessageBoxDone

 private:
  bool DecodeInit(Message& message);
  bool DecodeCells(Message& message);
  static bool GetFlag(Message& message, bool* value);

  unsigned char row[DriverLimits::kCells] = {};
};
