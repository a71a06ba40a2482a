// A display model for testing the model-independent display: opens the default
// serial channel and records the model operations it is asked for.
#pragma once

#include <string>

#include "../../src/driver/display/BrailleDisplay.h"
#include "FakeWindows.h"

class TestDisplay : public BrailleDisplay {
 public:
  int connectResult = 1;
  int cellsOnConnect = 40;
  int statusOnConnect = 0;

  int Connect(int value) override {
    fake::Record("Connect(" + std::to_string(value) + ")");
    if (!connectResult) return 0;
    cellCount = cellsOnConnect;
    statusCellCount = statusOnConnect;
    return 1;
  }

  // Records the cells up to the last non-blank one, as hex bytes.
  int Send() override {
    fake::Record("Send(" + Shown() + ")");
    return port ? 1 : 0;
  }

  int HandleInputByte(unsigned char byte) override {
    fake::Record("Byte(" + fake::Hex(byte) + ")");
    return 0;
  }

  std::string Shown() const {
    int end = kCells;
    while (end > 0 && !cells[end - 1]) --end;
    std::string text;
    for (int i = 0; i < end; ++i) text += (i ? " " : "") + fake::Hex(cells[i]);
    return text;
  }

  bool IsOpen() const { return port != nullptr; }
  int Sleeping() const { return sleeping; }
  const char* Settings() const { return portSettings; }
  KeyCallback Callback() const { return keyCallback; }
  bool SentEqualsCells() const { return std::string(cells, cells + kCells) == Sent(); }
  std::string Sent() const { return std::string(sentCells, sentCells + kCells); }
};
