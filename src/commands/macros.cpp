#include "commands/macros.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "commands/keytable.hpp"
#include "model/atomicfile.hpp"
#include "model/paths.hpp"

namespace {

// A sound macro file is well under 1 MB (10 x 4096 values of at most three
// digits); reading stops here so a stray huge file cannot eat the memory.
constexpr std::streamsize kMaxFileBytes = 4 << 20;

// A whole token as a decimal integer.
bool parseInt(const std::string& token, long& out) {
  if (token.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(token.c_str(), &end, 10);
  if (errno == ERANGE || end == token.c_str() || *end != '\0') return false;
  out = v;
  return true;
}

bool readCapped(const std::string& path, std::string& out, bool& truncated) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  // In pieces, up to one byte past the cap: a small file costs its own
  // size rather than the cap's.
  const size_t cap = static_cast<size_t>(kMaxFileBytes);
  out.clear();
  char piece[1 << 16];
  while (out.size() <= cap) {
    in.read(piece, static_cast<std::streamsize>(std::min(sizeof piece, cap + 1 - out.size())));
    const std::streamsize n = in.gcount();
    if (n <= 0) break;
    out.append(piece, static_cast<size_t>(n));
  }
  if (in.bad()) return false;
  if (out.empty() && !in.eof()) return false;  // a directory opens but does not read
  truncated = out.size() > cap;
  if (truncated) out.resize(cap);
  return true;
}

}  // namespace

bool isRecordableValue(int value) {
  if (value >= 1 && value <= 255) return true;
  return isCommandNumber(value) && value != cmdDefineMacro && value != cmdCallMacro;
}

Macros::Macros() : store_(static_cast<size_t>(kMacroCount) * kMacroLength, 0) {}

void Macros::clear() {
  std::fill(store_.begin(), store_.end(), 0);
  for (int& l : lengths_) l = 0;
  recording = playing = false;
  recordCount = playIndex = playCount = 0;
}

void Macros::setMacro(int macro, const std::vector<int32_t>& values) {
  if (macro < 0 || macro >= kMacroCount) return;
  int n = static_cast<int>(std::min<size_t>(values.size(), kMacroLength));
  for (int i = 0; i < n; ++i) store_[macro * kMacroLength + i] = values[i];
  lengths_[macro] = n;
}

void Macros::load(Host& host) {
  if (loadFrom(joinPath(".", kMacroFileName), host)) return;
  const char* home = std::getenv("PLICATOHOME");
  if (home && *home) loadFrom(joinPath(home, kMacroFileName), host);
}

bool Macros::loadFrom(const std::string& path, Host& host) {
  std::string text;
  bool truncatedFile = false;
  if (!readCapped(path, text, truncatedFile)) return false;
  // Remembered whole, so a later change of directory saves to the same file.
  fileName_ = absolutePath(path);
  clear();

  // The writer puts each macro on a line of its own: reading line by line
  // keeps a damaged macro from swallowing the ones after it.
  std::vector<std::string> lines;
  {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      if (line.find_first_not_of(" \t\r\f\v") == std::string::npos) continue;
      lines.push_back(line);
    }
  }
  std::vector<int> damagedMacros;
  bool damaged = truncatedFile || static_cast<int>(lines.size()) > kMacroCount;
  auto noteDamage = [&](int m) {
    if (damagedMacros.empty() || damagedMacros.back() != m) damagedMacros.push_back(m);
    damaged = true;
  };
  // An empty file is how a user asks for macros to be kept: not damage.
  for (int m = 0; m < kMacroCount && !lines.empty(); ++m) {
    if (m >= static_cast<int>(lines.size())) {
      noteDamage(m);
      continue;
    }
    std::istringstream in(lines[m]);
    std::string token;
    long declared = 0;
    if (!(in >> token) || !parseInt(token, declared) || declared < 0) {
      noteDamage(m);
      continue;
    }
    if (declared > kMacroLength) {
      noteDamage(m);
      declared = kMacroLength;
    }
    int n = 0;
    while (n < declared && in >> token) {
      long v = 0;
      if (!parseInt(token, v) || v < 1 || v > kLastCommand ||
          !isRecordableValue(static_cast<int>(v))) {
        noteDamage(m);
        break;
      }
      store_[m * kMacroLength + n++] = static_cast<int32_t>(v);
    }
    if (n < declared || (in >> token)) noteDamage(m);
    lengths_[m] = n;
  }

  if (!damaged) {
    savedText_ = text;
    damagedText_.clear();
  } else {
    savedText_.clear();
    damagedText_ = text;
    std::string which;
    for (int m : damagedMacros) which += (which.empty() ? " (macro " : ", ") + std::to_string(m);
    if (!which.empty()) which += ")";
    host.messageBox("The macro file " + fileName_ + " is damaged" + which +
                        "; the values that could be read were kept, and the old file "
                        "will be kept as " + fileName_ + ".bak.",
                    "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
  }
  return true;
}

std::string Macros::fileText() const {
  std::string out;
  for (int m = 0; m < kMacroCount; ++m) {
    out += std::to_string(lengths_[m]);
    for (int i = 0; i < lengths_[m]; ++i) {
      out += ' ';
      out += std::to_string(store_[m * kMacroLength + i]);
    }
    out += '\n';
  }
  return out;
}

bool Macros::save(Host& host) {
  if (fileName_.empty()) return true;
  std::string text = fileText();
  if (text == savedText_) return true;
  std::string error;
  if (!damagedText_.empty()) {
    if (!writeFileAtomic(fileName_ + ".bak", damagedText_, &error)) {
      host.statusMessage("Macros not saved: cannot keep " + fileName_ + ".bak: " + error);
      return false;
    }
    damagedText_.clear();
  }
  if (!writeFileAtomic(fileName_, text, &error)) {
    host.statusMessage("Macros not saved to " + fileName_ + ": " + error);
    return false;
  }
  savedText_ = text;
  return true;
}

int Macros::askMacroNumber(Host& host) {
  std::optional<std::string> answer = host.prompt("INPUT", "Which macro:", "", 1);
  if (answer && !answer->empty() && (*answer)[0] >= '0' && (*answer)[0] <= '9')
    macroNumber = (*answer)[0] - '0';
  return macroNumber;
}

int Macros::next(const std::function<int()>& source, Host& host) {
  int v;
  if (playing && playIndex < playCount) {
    v = store_[playMacro * kMacroLength + playIndex++];
  } else {
    playing = false;
    v = source();
  }
  if (v == 0) return 0;

  if (v == cmdDefineMacro) {
    if (recording) {
      lengths_[recordMacro] = recordCount;
      recording = false;
    } else {
      recordMacro = askMacroNumber(host);
      recordCount = 0;
      recording = true;
    }
    return v;
  }
  if (v == cmdCallMacro) {
    if (!recording) {
      playMacro = askMacroNumber(host);
      playIndex = 0;
      playCount = lengths_[playMacro];
      playing = playCount > 0;
    }
    return v;
  }
  if (recording) {
    store_[recordMacro * kMacroLength + recordCount++] = v;
    if (recordCount == kMacroLength) {
      lengths_[recordMacro] = kMacroLength;
      recording = false;
    }
  }
  return v;
}


