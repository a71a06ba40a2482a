#include "HelperRequests.h"

void HelperRequests::RunCallback(const HelperMessage& chord) {
  if (!state.callback) return;
  CallOrder::HostCode host(order, false);
  state.callback(chord.code, chord.param);
}

bool HelperRequests::Inject(const HelperMessage& input, int* done) {
  const ForwardedKey* forwarded = input.inputs;
  if (!keys.Fits(input.inputCount)) return false;
  if (input.call == kKeybdEvent) {
    keybd_event(static_cast<BYTE>(forwarded->vk), static_cast<BYTE>(forwarded->scan),
                forwarded->flags, 0);
    keys.Note(kKeybdEvent, *forwarded);
    *done = 0;
    return true;
  }
  INPUT inputs[Message::kMaxInputs] = {};
  for (int i = 0; i < input.inputCount; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = forwarded[i].vk;
    inputs[i].ki.wScan = forwarded[i].scan;
    inputs[i].ki.dwFlags = forwarded[i].flags;
  }
  *done = static_cast<int>(SendInput(input.inputCount, inputs, sizeof(INPUT)));
  for (int i = 0; i < *done && i < input.inputCount; ++i) keys.Note(kSendInput, forwarded[i]);
  return true;
}

int HelperRequests::ShowBox(const HelperMessage& box) {
  if (quiet) return IDOK;
  CallOrder::HostCode shown(order, true);
  ++boxesShown;
  return MessageBoxA(nullptr, box.text, box.caption, box.boxType);
}
