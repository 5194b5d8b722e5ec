#include "display/scrbuffer.hpp"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr RowRecord kFreshRecord{0, 0, 1};

}  // namespace

bool ScrBuffer::create(int w, int r) {
  if (w < 1) w = 1;
  if (r < 1) r = 1;
  try {
    std::vector<char> c(static_cast<size_t>(w) * static_cast<size_t>(r), ' ');
    std::vector<RowRecord> info(static_cast<size_t>(r), kFreshRecord);
    chars.swap(c);
    rowInfo.swap(info);
  } catch (const std::bad_alloc&) {
    return false;
  }
  width = w;
  rows = r;
  stride = w;
  return true;
}

void ScrBuffer::destroy() {
  std::vector<char>().swap(chars);
  std::vector<RowRecord>().swap(rowInfo);
  width = rows = stride = 0;
}

bool ScrBuffer::ensure(int cols, int wantedRows) {
  if (cols <= width && wantedRows <= rows) return true;
  const int w = std::max(width, cols);
  const int r = std::max(rows, wantedRows);
  try {
    std::vector<char> c(static_cast<size_t>(w) * static_cast<size_t>(r), ' ');
    // Keep what each row held, at the normal stride.
    for (int i = 0; i < rows; ++i)
      std::memcpy(&c[static_cast<size_t>(i) * w], &chars[static_cast<size_t>(i) * width],
                  static_cast<size_t>(width));
    std::vector<RowRecord> info(static_cast<size_t>(r), kFreshRecord);
    std::copy(rowInfo.begin(), rowInfo.end(), info.begin());
    const bool normal = stride == width;
    chars.swap(c);
    rowInfo.swap(info);
    if (normal) stride = w;
    width = w;
    rows = r;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void ScrBuffer::setStride(int s) { stride = std::clamp(s, 1, std::max(width, 1)); }

int ScrBuffer::addressableRows() const {
  if (stride <= 0) return 0;
  // Every row needs a record as well as its bytes.
  return std::min(rows, static_cast<int>(chars.size() / static_cast<size_t>(stride)));
}

char* ScrBuffer::row(int r) {
  if (r < 0 || r >= addressableRows()) return nullptr;
  return chars.data() + static_cast<size_t>(r) * stride;
}

const char* ScrBuffer::row(int r) const {
  if (r < 0 || r >= addressableRows()) return nullptr;
  return chars.data() + static_cast<size_t>(r) * stride;
}

RowRecord* ScrBuffer::info(int r) {
  if (r < 0 || r >= rows) return nullptr;
  return &rowInfo[static_cast<size_t>(r)];
}

const RowRecord* ScrBuffer::info(int r) const {
  if (r < 0 || r >= rows) return nullptr;
  return &rowInfo[static_cast<size_t>(r)];
}

void ScrBuffer::moveRows(int from, int to, int count) {
  const int limit = addressableRows();
  // Clip both ranges to the grid, keeping them the same length.
  if (count <= 0) return;
  if (from < 0) { count += from; to -= from; from = 0; }
  if (to < 0) { count += to; from -= to; to = 0; }
  count = std::min({count, limit - from, limit - to});
  if (count <= 0) return;
  std::memmove(chars.data() + static_cast<size_t>(to) * stride,
               chars.data() + static_cast<size_t>(from) * stride,
               static_cast<size_t>(count) * stride);
  std::memmove(rowInfo.data() + to, rowInfo.data() + from,
               static_cast<size_t>(count) * sizeof(RowRecord));
}

void ScrBuffer::fillRows(int first, int count, uint8_t byte) {
  const int limit = addressableRows();
  if (first < 0) { count += first; first = 0; }
  count = std::min(count, limit - first);
  if (count <= 0) return;
  std::memset(chars.data() + static_cast<size_t>(first) * stride, byte,
              static_cast<size_t>(count) * stride);
  std::memset(rowInfo.data() + first, 1, static_cast<size_t>(count) * sizeof(RowRecord));
}
