// Where the simulated display's window draws its cells, in client coordinates:
// rows of 40 boxes, each with its eight dots and its number under it.
#pragma once

#include <windows.h>

class CellLayout {
 public:
  static const int kCellsPerRow = 40;
  static const int kCellWidth = 24;
  static const int kCellHeight = 44;
  static const int kNumberHeight = 16;
  static const int kMargin = 8;

  // Top left corner of a cell's box (cells counted from 0).
  static POINT Origin(int cell);
  // Centre of one of its dots, 0-7 in bit order (dots 1-3 and 7 on the left).
  static POINT DotCenter(int cell, int dot);
  static POINT CellCenter(int cell);
  // The cell whose box or number is at x, y; -1 for none of the first cells.
  static int CellAt(int x, int y, int cells);
};
