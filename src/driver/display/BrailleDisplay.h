// The model-independent display: owns the port, keeps the cells the host wants
// shown and a copy of what was last sent, sleeps and wakes, polls for input and
// gathers held display keys into chords for the host.
#pragma once

#include "../../../include/brlvelt.h"
#include "../../shared/facts/DriverLimits.h"
#include "../port/CommPort.h"

class BrailleDisplay {
 public:
  static const int kCells = DriverLimits::kCells;
  static const int kSettingsSize = DriverLimits::kSettingsSize;
  static const int kKeys = 512;
  static const int kPollBytes = DriverLimits::kPollBytes;

  BrailleDisplay();
  virtual ~BrailleDisplay();

  virtual int Open(const char* settings);
  // Learns the cell count from the display; 0 on failure.
  virtual int Connect(int value) = 0;
  virtual int Display(const unsigned char* src, int count);
  virtual int DisplayStatus(const unsigned char* src, int count);
  virtual int Clear();
  // Pushes the whole cell buffer to the display.
  virtual int Send() = 0;
  virtual int Refresh();
  virtual int Sleep(int flag);
  // Reads the display's input and decodes it; the number of bytes read.
  virtual int Poll();
  // Decodes one byte of display input.
  virtual int HandleInputByte(unsigned char byte) = 0;

  int Initialize(const char* settings, KeyCallback callback);
  void Terminate();
  void PressDisplayKey(int index);
  void ReleaseDisplayKey(int index);
  void ReportChord();

  int CellCount() const { return cellCount; }
  int StatusCellCount() const { return statusCellCount; }

 protected:
  // Takes ownership of a newly created port and opens it; a port that cannot be
  // created or opened is destroyed and port stays null.
  int OpenPort(CommPort* created, const char* settings);
  void ClosePort();
  // The display left: lets go of what it holds down in Windows and forgets the
  // display keys of a chord in progress, unreported.
  void LetGoOfKeys();

  CommPort* port = nullptr;
  unsigned char cells[kCells] = {};
  unsigned char sentCells[kCells] = {};
  char portSettings[kSettingsSize] = {};
  int cellCount = 0;
  int statusCellCount = 0;
  KeyCallback keyCallback = nullptr;
  int sleeping = 0;
  unsigned char keyDown[kKeys] = {};
  int chordReported = 1;
  // From a BrlInit whose display answered to BrlTerminate.
  bool sessionOpen = false;

 private:
  bool opening = false;
  static void AddToChord(int i, DWORD* code, DWORD* param);
  static void LogChord(DWORD code, DWORD param, int keys);
  int StatusCells() const;
  int SendIfChanged(int compareLength, bool refresh);
};

// The process's one display object, set while it exists.
extern BrailleDisplay* theDisplay;
