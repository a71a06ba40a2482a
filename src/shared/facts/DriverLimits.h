// The limits of the driver's calls, which the bridge and its helper hold to as
// the driver does: the row it keeps, the settings it accepts, the chords one
// poll can report.
#pragma once

class DriverLimits {
 public:
  // Cells the driver keeps for the display and status cells together.
  static const int kCells = 128;
  // Settings have fewer characters than this.
  static const int kSettingsSize = 80;
  // Bytes of display input one poll reads at most.
  static const int kPollBytes = 80;
  // Bytes of one key packet from the display: type, flags, code.
  static const int kPacketBytes = 3;
  // Chords one poll can report: each completes a packet, the first perhaps
  // begun in the poll before.
  static const int kMostChordsAPoll = 1 + (kPollBytes - 1) / kPacketBytes;

  // The length of a settings string the driver accepts, or -1 for none or one
  // of kSettingsSize characters or more.
  static int SettingsLength(const char* settings) {
    if (!settings) return -1;
    int length = 0;
    while (length < kSettingsSize && settings[length]) ++length;
    return length < kSettingsSize ? length : -1;
  }
};
