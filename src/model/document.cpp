#include "model/document.hpp"

Document::Document(ModelContext& context) : LineStore(context) {
  histories_.push_back(newHistory());
  recorder = this;
}

Document::~Document() {
  histories_.clear();
  recorder = nullptr;
  clearBasePath();
}

std::unique_ptr<History> Document::newHistory() const {
  auto h = std::make_unique<History>();
  h->maxSteps = static_cast<size_t>(std::max(1, ctx.settings.undoSteps));
  h->maxBytes = static_cast<size_t>(std::max(1, ctx.settings.undoMegabytes)) << 20;
  return h;
}

void Document::enterFiledLevel(std::unique_ptr<FiledLevel> level) {
  filedLevels.push_back(std::move(level));
  histories_.push_back(newHistory());
}

std::unique_ptr<FiledLevel> Document::leaveFiledLevel() {
  histories_.pop_back();
  std::unique_ptr<FiledLevel> level = std::move(filedLevels.back());
  filedLevels.pop_back();
  return level;
}

void Document::restartHistory() { histories_.back() = newHistory(); }

// Every history that listens keeps what the node held: a filed file's, and
// its parents', whose steps may be undone once it is left.
void Document::touched(LineNode& n, bool text) {
  for (auto it = histories_.rbegin(); it != histories_.rend(); ++it)
    if (ChangeRecord* r = (*it)->open()) r->touched(n, text);
}

void Document::made(LineNode& n) {
  for (auto it = histories_.rbegin(); it != histories_.rend(); ++it)
    if (ChangeRecord* r = (*it)->open()) r->made(n);
}
