#include "CellLayout.h"

POINT CellLayout::Origin(int cell) {
  POINT origin = {kMargin + (cell % kCellsPerRow) * kCellWidth,
                  kMargin + (cell / kCellsPerRow) * (kCellHeight + kNumberHeight)};
  return origin;
}

POINT CellLayout::DotCenter(int cell, int dot) {
  POINT origin = Origin(cell);
  int column = dot < 3 || dot == 6 ? 0 : 1;
  int line = dot >= 6 ? 3 : dot % 3;
  POINT center = {origin.x + 7 + 10 * column, origin.y + 7 + 10 * line};
  return center;
}

POINT CellLayout::CellCenter(int cell) {
  POINT origin = Origin(cell);
  POINT center = {origin.x + kCellWidth / 2, origin.y + kCellHeight / 2};
  return center;
}

int CellLayout::CellAt(int x, int y, int cells) {
  if (x < kMargin || y < kMargin) return -1;
  int column = (x - kMargin) / kCellWidth;
  int cell = (y - kMargin) / (kCellHeight + kNumberHeight) * kCellsPerRow + column;
  return column < kCellsPerRow && cell < cells ? cell : -1;
}
