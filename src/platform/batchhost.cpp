#include "platform/batchhost.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <unistd.h>

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool offers(MbButtons buttons, MbResult r) {
  switch (buttons) {
    case MbButtons::Ok: return r == MbResult::Ok;
    case MbButtons::OkCancel: return r == MbResult::Ok || r == MbResult::Cancel;
    case MbButtons::YesNo: return r == MbResult::Yes || r == MbResult::No;
    case MbButtons::YesNoCancel:
      return r == MbResult::Yes || r == MbResult::No || r == MbResult::Cancel;
  }
  return false;
}

// With no usable answer a box takes Cancel where it has one, else No, else OK.
MbResult defaultAnswer(MbButtons buttons) {
  if (offers(buttons, MbResult::Cancel)) return MbResult::Cancel;
  if (offers(buttons, MbResult::No)) return MbResult::No;
  return MbResult::Ok;
}

const char* answerName(MbResult r) {
  switch (r) {
    case MbResult::Ok: return "ok";
    case MbResult::Cancel: return "cancel";
    case MbResult::Yes: return "yes";
    case MbResult::No: return "no";
  }
  return "ok";
}

bool onOff(const std::string& v) { return lower(trim(v)) == "on"; }

}  // namespace

std::map<std::string, std::string> parseAnswerPairs(const std::string& text) {
  std::map<std::string, std::string> pairs;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ';')) {
    size_t eq = item.find('=');
    if (eq == std::string::npos) continue;
    pairs[lower(trim(item.substr(0, eq)))] = item.substr(eq + 1);
  }
  return pairs;
}

bool BatchHost::takeAnswer(std::string& out) {
  if (answers_.empty()) return false;
  out = answers_.front();
  answers_.pop_front();
  return true;
}

std::vector<std::string> BatchHost::statusTexts() const {
  std::vector<std::string> out;
  for (const auto& e : events_)
    if (e.kind == Event::Kind::Status) out.push_back(e.text);
  return out;
}

std::vector<std::string> BatchHost::boxTexts() const {
  std::vector<std::string> out;
  for (const auto& e : events_)
    if (e.kind == Event::Kind::Box) out.push_back(e.text);
  return out;
}

std::string BatchHost::lastStatus() const {
  for (auto it = events_.rbegin(); it != events_.rend(); ++it)
    if (it->kind == Event::Kind::Status) return it->text;
  return "";
}

MbResult BatchHost::messageBox(const std::string& text, const std::string& caption,
                               MbButtons buttons, MbIcon) {
  MbResult result = defaultAnswer(buttons);
  std::string a;
  if (takeAnswer(a)) {
    std::string w = lower(trim(a));
    MbResult wanted = result;
    if (w == "yes") wanted = MbResult::Yes;
    else if (w == "no") wanted = MbResult::No;
    else if (w == "ok") wanted = MbResult::Ok;
    else if (w == "cancel" || w.empty()) wanted = MbResult::Cancel;
    if (offers(buttons, wanted)) result = wanted;
  }
  events_.push_back({Event::Kind::Box, caption, text, answerName(result)});
  return result;
}

void BatchHost::statusMessage(const std::string& text) {
  events_.push_back({Event::Kind::Status, "", text, ""});
}

std::optional<std::string> BatchHost::openFileDialog(const std::string&, const std::string&) {
  std::string a;
  if (!takeAnswer(a) || a.empty()) return std::nullopt;
  return a;
}

std::optional<std::string> BatchHost::saveAsDialog(const std::string&, const std::string&) {
  std::string a;
  if (!takeAnswer(a) || a.empty()) return std::nullopt;
  return a;
}

std::optional<CommentAnswer> BatchHost::askCommentConvention(const CommentAnswer& offered) {
  std::string a;
  if (!takeAnswer(a) || a.empty()) return std::nullopt;
  CommentAnswer ans = offered;
  if (a.find('=') != std::string::npos) {
    auto p = parseAnswerPairs(a);
    if (p.count("name")) ans.typeName = p["name"];
    if (p.count("start")) ans.commentStart = p["start"];
    if (p.count("end")) ans.commentEnd = p["end"];
    return ans;
  }
  std::vector<std::string> words;
  std::stringstream in(a);
  for (std::string w; in >> w;) words.push_back(w);
  if (words.size() >= 3) {
    ans.typeName = words[0];
    ans.commentStart = words[1];
    ans.commentEnd = words[2];
  } else if (words.size() == 2) {
    ans.commentStart = words[0];
    ans.commentEnd = words[1];
  } else if (words.size() == 1) {
    ans.commentStart = words[0];
    ans.commentEnd.clear();
  }
  return ans;
}

std::optional<std::string> BatchHost::prompt(const std::string&, const std::string&,
                                             const std::string&, int maxLen) {
  std::string a;
  if (!takeAnswer(a) || a.empty()) return std::nullopt;
  if (maxLen > 0 && static_cast<int>(a.size()) > maxLen) a.resize(maxLen);
  return a;
}

std::optional<unsigned char> BatchHost::symbolDialog() {
  std::string a;
  if (!takeAnswer(a) || a.empty()) return std::nullopt;
  // A number is a character code; anything else gives its first byte.
  if (std::all_of(a.begin(), a.end(), [](unsigned char c) { return std::isdigit(c); }) &&
      a.size() > 1)
    return static_cast<unsigned char>(std::stoi(a) & 0xFF);
  return static_cast<unsigned char>(a[0]);
}

std::optional<SearchRequest> BatchHost::searchDialog(const SearchRequest& defaults, bool) {
  std::string a;
  if (!takeAnswer(a) || a.empty()) return std::nullopt;
  SearchRequest r = defaults;
  auto p = parseAnswerPairs(a);
  if (p.empty()) {
    r.text = a;  // a bare text is the search text
    return r;
  }
  if (p.count("text")) r.text = p["text"];
  if (p.count("replace")) r.replacement = p["replace"];
  if (p.count("backward")) r.backward = onOff(p["backward"]);
  if (p.count("case")) r.matchCase = onOff(p["case"]);
  if (p.count("allfiles")) r.allFiles = onOff(p["allfiles"]);
  if (p.count("mode")) {
    std::string m = lower(trim(p["mode"]));
    if (m == "stop") r.mode = SearchRequest::Mode::StopOnFirst;
    else if (m == "prompt") r.mode = SearchRequest::Mode::PromptForNext;
    else if (m == "all") r.mode = SearchRequest::Mode::ReplaceAll;
  }
  return r;
}

bool BatchHost::waitForInput(WindowHandle window) { return feeder_ ? feeder_(window) : false; }

bool BatchHost::runDetached(const std::string& command) {
  detached_.push_back(command);
  return true;
}

void BatchHost::paintedRow(WindowHandle, int row, const std::vector<PaintedRun>& runs) {
  painted_[row] = runs;
}

void BatchHost::exitProcess(int code) {
  if (exitHook_) {
    auto hook = std::move(exitHook_);
    exitHook_ = nullptr;
    hook(code);
  }
  std::fflush(nullptr);
  _exit(code);
}
