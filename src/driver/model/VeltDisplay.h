// The VELT display: reached through its device library, which reports the cell
// count, shows the cell buffer and delivers key events as three-byte packets.
#pragma once

#include "../display/BrailleDisplay.h"
#include "../display/DisplayWatch.h"

class VeltDisplay : public BrailleDisplay {
 public:
  VeltDisplay() = default;
  ~VeltDisplay() override = default;
  int Open(const char* settings) override;
  int Connect(int value) override;
  int Send() override;
  int Sleep(int flag) override;
  // Reads keys; a poll that took none may ask whether the display is still
  // there, or start its library afresh (DisplayWatch).
  int Poll() override;
  // Reassembles type, flags and code; the packet acts when its code arrives.
  int HandleInputByte(unsigned char byte) override;

 private:
  void Act(unsigned char type, unsigned char code, bool press);
  void Watch(bool tookKeys);
  void Ask(DWORD now);
  void FreshStart(DWORD now);
  int CellCountAnswer();
  void Follow(DisplayWatch::Action action);

  DisplayWatch watch;

  // Decoder state, shared by the process and kept across polls.
  static int phase;
  static unsigned char packetType;
  static unsigned char packetFlags;
};
