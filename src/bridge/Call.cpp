#include "Call.h"

#include <string.h>

namespace {

// BrlInit and BrlSleep may open the device, BrlSleep only when it wakes.
const Call::Kind kKinds[] = {
    {MessageKind::kInit, "BrlInit", 10000, Call::Box::kMay, false, Call::WhenKept::kRefused},
    {MessageKind::kTerminate, "BrlTerminate", 3000, Call::Box::kNever, false,
     Call::WhenKept::kZero},
    {MessageKind::kDisplay, "BrlDisplay", 3000, Call::Box::kNever, true,
     Call::WhenKept::kAsTheDriver},
    {MessageKind::kDisplayStatus, "BrlDisplayStatus", 3000, Call::Box::kNever, false,
     Call::WhenKept::kAsTheDriver},
    {MessageKind::kClear, "BrlClear", 3000, Call::Box::kNever, true, Call::WhenKept::kAsTheDriver},
    {MessageKind::kRefresh, "BrlRefresh", 3000, Call::Box::kNever, false,
     Call::WhenKept::kAsTheDriver},
    {MessageKind::kSleep, "BrlSleep", 10000, Call::Box::kOnWake, false, Call::WhenKept::kOne},
    {MessageKind::kTimer, "BrlTimer", 3000, Call::Box::kNever, false, Call::WhenKept::kEmptyPoll},
};

}  // namespace

const Call::Kind& Call::Of(MessageKind kind) {
  for (const Kind& known : kKinds) {
    if (known.kind == kind) return known;
  }
  return Of(MessageKind::kTimer);  // a ping: a round trip that changes nothing
}

bool Call::MayShowBox(const Message& request) {
  Call call;
  call.kind = request.Kind();
  if (request.Size() >= sizeof(int32_t)) memcpy(&call.value, request.Payload(), sizeof(int32_t));
  return call.MayShowBox();
}
