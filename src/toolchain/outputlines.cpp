#include "toolchain/outputlines.hpp"

void OutputLines::feed(const char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    switch (c) {
      case '\t':
        for (int k = 0; k < 8; ++k) append(' ');
        break;
      case '\n':
        emit_(line_);
        line_.clear();
        break;
      case '\r':
        break;
      default:
        append(static_cast<char>(c));
        break;
    }
  }
}

void OutputLines::append(char c) {
  if (line_.size() >= kMaxLine) {
    emit_(line_);
    line_.clear();
  }
  line_.push_back(c);
}

void OutputLines::flush() {
  if (line_.empty()) return;
  emit_(line_);
  line_.clear();
}

void splitServerOutput(const char* text, size_t count,
                       const std::function<void(const std::string&)>& emit) {
  std::string entry;
  for (size_t i = 0; i < count; ++i) {
    const char c = text[i];
    if (c == '\r') continue;
    if (c == '\n') {
      emit(entry);
      entry.clear();
      continue;
    }
    if (entry.size() >= kMaxServerEntry) {
      emit(entry);
      entry.clear();
    }
    entry.push_back(c);
  }
  if (!entry.empty()) emit(entry);
}
