// The character grid of an editor window: one byte per cell, row-major,
// with a row record per row that the line painter fills.
//
// Rows are addressed from 0 here; the engine's screen row n lives in row
// n - 1. In normal mode a row is `width` bytes apart (200 at creation); in
// wrap mode the window sets the stride to its column count minus 3, so the
// same bytes hold narrower rows. The grid grows to the window, never the
// other way round: a window taller or wider than the grid first grows it.
#pragma once

#include <cstdint>
#include <vector>

#include "display/highlight.hpp"  // RowRecord

class ScrBuffer {
 public:
  static constexpr int kDefaultWidth = 200;
  static constexpr int kDefaultRows = 50;

  // Allocates width x rows cells (spaces) and a record per row with
  // rowStyle 1; false when the memory cannot be had (nothing changes).
  bool create(int width = kDefaultWidth, int rows = kDefaultRows);
  void destroy();
  bool created() const { return !chars.empty(); }

  // Grows (keeping the contents) so that `rows` rows of `cols` cells fit in
  // normal mode; false when the memory cannot be had.
  bool ensure(int cols, int rows);

  // Row distance in bytes; clamped to 1..width.
  void setStride(int s);
  int getStride() const { return stride; }
  // Rows that can be addressed with the current stride.
  int addressableRows() const;

  // Start of row r, or null outside the grid.
  char* row(int r);
  const char* row(int r) const;
  // Record of row r, or null outside the grid.
  RowRecord* info(int r);
  const RowRecord* info(int r) const;

  // Copies `count` rows of characters and records from `from` to `to`;
  // the ranges may overlap. Rows outside the grid are left out.
  void moveRows(int from, int to, int count);
  // Sets `count` rows from `first` to the byte, and every byte of their row
  // records to 1.
  void fillRows(int first, int count, uint8_t byte);

  int width = 0;   // cells per row in normal mode (the normal stride)
  int rows = 0;    // rows with a record
  int stride = 0;  // current row distance
  std::vector<char> chars;
  std::vector<RowRecord> rowInfo;
};
