#include "model/linestates.hpp"

#include <cstring>
#include <vector>

uint32_t effectiveState(uint32_t s) {
  return s == kStateInComment || s == kStateRecompute ? s : kStateNormal;
}

namespace {

// strstr for the short comment delimiters: a scan for the first byte and a
// compare of the rest. Every line of a file goes through nextState when it
// is opened, and a general strstr's set-up costs more than such a line.
const char* findDelimiter(const char* text, const std::string& d) {
  if (d.empty()) return text;
  const char first = d[0];
  const char* rest = d.c_str() + 1;
  const size_t restLength = d.size() - 1;
  for (const char* p = std::strchr(text, first); p; p = std::strchr(p + 1, first))
    if (std::strncmp(p + 1, rest, restLength) == 0) return p;
  return nullptr;
}

}  // namespace

uint32_t nextState(uint32_t state, const char* text, const MarkUpHash* table) {
  if (!table || !table->hasBlockComment()) return state;
  if (!text) text = "";
  const std::string& start = table->slot(kBegComment)->text;
  const std::string& end = *table->slot(kBegComment)->endText;
  uint32_t s = effectiveState(state);
  const char* pos = text;
  if (s == kStateInComment) {
    if (const char* e = findDelimiter(text, end)) {
      s = kStateNormal;
      pos = e + 1;
    }
  }
  if (s != kStateNormal) return s;
  for (;;) {
    const char* b = findDelimiter(pos, start);
    if (!b) return kStateNormal;
    const char* e = findDelimiter(b + 1, end);
    if (!e) return kStateInComment;
    pos = e + 1;
  }
}

LineNode* nextInFileOrder(const LineNode* node) {
  if (isClosedHeader(node) && node->inner()) return node->inner();
  return node->next;
}

LineNode* prevInFileOrder(const LineNode* node) {
  LineNode* p = node->prev;
  // The line after a closed fold points back at its header; in file order
  // the fold's last line (its end) comes before it.
  if (p && isClosedHeader(p) && p->inner() && p->inner() != node && p->partner()) return p->partner();
  return p;
}

void recompute(LineNode* first, const MarkUpHash* table) {
  uint32_t s = kStateNormal;
  for (LineNode* n = first; n; n = nextInFileOrder(n)) {
    n->lineState = s;
    s = nextState(s, n->text, table);
  }
}

namespace {

bool known(uint32_t s) { return s == kStateNormal || s == kStateInComment; }

}  // namespace

uint32_t stateOf(LineNode* line, const MarkUpHash* table) {
  if (known(line->lineState)) return line->lineState;
  // Back to the nearest line whose state is known (or the file's start),
  // then forward, giving every line on the way its state.
  LineNode* from = line;
  for (LineNode* p = prevInFileOrder(line); p; p = prevInFileOrder(p)) {
    from = p;
    if (known(p->lineState)) break;
  }
  uint32_t s = kStateNormal;
  if (known(from->lineState)) s = from->lineState;
  for (LineNode* n = from; n; n = nextInFileOrder(n)) {
    n->lineState = s;
    if (n == line) break;
    s = nextState(s, n->text, table);
  }
  return line->lineState;
}

void update(LineNode* changed, const MarkUpHash* table) {
  if (!changed) return;
  LineNode* before = prevInFileOrder(changed);
  uint32_t s = before ? nextState(stateOf(before, table), before->text, table) : kStateNormal;
  for (LineNode* n = changed; n && n->lineState != s; n = nextInFileOrder(n)) {
    n->lineState = s;
    s = nextState(s, n->text, table);
  }
}

void update(LineNode* changed, const MarkUpHash* table, int row, int rowCount,
            const RepaintRow& repaint) {
  if (!changed) return;
  LineNode* before = prevInFileOrder(changed);
  uint32_t s = before ? nextState(stateOf(before, table), before->text, table) : kStateNormal;
  // Fold ends of the closed folds the walk is inside: their lines are not
  // on screen.
  std::vector<const LineNode*> hiddenUntil;
  for (LineNode* n = changed; n && n->lineState != s;) {
    n->lineState = s;
    s = nextState(s, n->text, table);
    if (hiddenUntil.empty() && row <= rowCount) {
      if (repaint) repaint(row, n);
      row += n->rows() > 0 ? n->rows() : 1;
    }
    LineNode* next = nextInFileOrder(n);
    if (!hiddenUntil.empty() && n == hiddenUntil.back()) hiddenUntil.pop_back();
    if (isClosedHeader(n) && n->inner() && next == n->inner()) hiddenUntil.push_back(n->partner());
    n = next;
  }
}
