#include "RequestDispatch.h"

bool RequestDispatch::Execute(const RequestDecoder& request, int* result) {
  switch (request.kind) {
    case MessageKind::kInit:
      *result = driver.Init(request.settings, request.callback ? chord : nullptr);
      return true;
    case MessageKind::kTerminate:
      *result = driver.Terminate();
      return true;
    case MessageKind::kDisplay:
      *result = driver.Display(request.cells, request.count);
      return true;
    case MessageKind::kDisplayStatus:
      *result = driver.DisplayStatus(request.cells, request.count);
      return true;
    case MessageKind::kClear:
      *result = driver.Clear();
      return true;
    case MessageKind::kRefresh:
      *result = driver.Refresh();
      return true;
    case MessageKind::kSleep:
      *result = driver.Sleep(request.flag);
      return true;
    case MessageKind::kTimer:
      *result = driver.Timer();
      return true;
    case MessageKind::kPing:
      *result = 0;
      return true;
    default:
      return false;
  }
}
