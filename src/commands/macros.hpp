// Keyboard macros: ten recordings of key values (text bytes 1..255 and
// commands 256..337), kept in memory and in the macro file `plicato.rc`.
//
// The macro layer sits between the key reader and the line editor: it
// replays a macro while one is playing, and records what passes while one
// is being defined. Define macro (307) toggles recording, call macro (308)
// starts a playback; both ask "Which macro:".
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/host.hpp"

constexpr int kMacroCount = 10;
constexpr int kMacroLength = 4096;
constexpr const char* kMacroFileName = "plicato.rc";

class Macros {
 public:
  Macros();

  // Looks for plicato.rc in the current directory, else in $PLICATOHOME,
  // and reads it. Without a file the macros live in memory only.
  void load(Host& host);
  // Reads one file; false when it cannot be opened (nothing changes then).
  // A damaged file keeps what can be read and is reported under
  // "Plicato Warning"; its old text is kept beside it on the next save.
  bool loadFrom(const std::string& path, Host& host);
  // Rewrites the file found at load time (atomically); nothing to do when
  // none was found or nothing changed since. False after a failed write,
  // which is reported in the status bar.
  bool save(Host& host);
  // The file's text: per macro its length "%d", then " %d" per value.
  std::string fileText() const;

  // One value of the macro layer. `source` gives the key reader's next
  // value (0 when the window stopped dispatching, which is passed on and
  // never recorded).
  int next(const std::function<int()>& source, Host& host);

  int length(int macro) const { return lengths_[macro]; }
  int32_t value(int macro, int index) const { return store_[macro * kMacroLength + index]; }
  // Stores a whole macro (values past 4096 are dropped).
  void setMacro(int macro, const std::vector<int32_t>& values);
  void clear();

  const std::string& fileName() const { return fileName_; }
  void setFileName(const std::string& path) { fileName_ = path; }

  // Recorder and player.
  bool recording = false;
  int recordMacro = 0;
  int recordCount = 0;
  bool playing = false;
  int playMacro = 0;
  int playIndex = 0;
  int playCount = 0;
  // The last answer to "Which macro:"; an unusable answer keeps it.
  int macroNumber = 0;

 private:
  int askMacroNumber(Host& host);

  std::vector<int32_t> store_;  // kMacroCount x kMacroLength
  int lengths_[kMacroCount] = {};
  std::string fileName_;
  std::string savedText_;    // what the file holds, as far as we know
  std::string damagedText_;  // a damaged file's text, kept as .bak on save
};

// A value a macro may hold: a text byte or a command, but never the macro
// commands themselves (they are not recorded).
bool isRecordableValue(int value);

// The process-wide macros.
