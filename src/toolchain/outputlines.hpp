// Turning a program's output bytes into the lines of a messages window.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// The reader's rules: a tab is eight spaces, a line feed ends the line, a
// carriage return is dropped, every other byte is kept (the output's end
// is told apart from its bytes, so a Latin-1 letter ends nothing). A line
// longer than kMaxLine characters goes on in a new entry, so nothing the
// compiler printed is lost.
class OutputLines {
 public:
  static constexpr size_t kMaxLine = 1024;

  explicit OutputLines(std::function<void(const std::string&)> emit) : emit_(std::move(emit)) {}

  // Takes the bytes.
  void feed(const char* bytes, size_t count);
  // The line being built, if any, is emitted: output that ends without a
  // line feed still shows its last line.
  void flush();

 private:
  void append(char c);

  std::function<void(const std::string&)> emit_;
  std::string line_;
};

// The server's rules (STWRITE): a line feed ends a line, carriage returns
// are dropped, and what is left at the end of a call is an entry of its
// own. Entries are at most kMaxServerEntry characters; a longer line goes on in
// the next entry.
constexpr size_t kMaxServerEntry = 255;
void splitServerOutput(const char* text, size_t count,
                       const std::function<void(const std::string&)>& emit);
