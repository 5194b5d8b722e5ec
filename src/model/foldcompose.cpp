#include "model/foldcompose.hpp"

#include <cstdio>
#include <cstring>

#include "model/foldformat.hpp"
#include "model/linestore.hpp"
#include "model/markerscan.hpp"

int32_t writtenShift(const LineNode& p, int32_t foldOffset) {
  int32_t s = (foldOffset > 0 ? foldOffset : 0) + p.indent;
  if (isClosedHeader(&p)) s += p.markerColumn();
  return s > 0 ? s : 0;
}

void appendLead(std::string& out, const LineNode& p, int32_t shift) {
  const LineExtra* x = p.extra();
  if (!x || x->leadShift < 0) {
    out.append(static_cast<size_t>(shift > 0 ? shift : 0), ' ');
    return;
  }
  const size_t start = out.size();
  out += x->lead;
  int32_t d = shift - x->leadShift;
  if (d > 0) {
    out.append(static_cast<size_t>(d), ' ');
  } else {
    while (d < 0 && out.size() > start && out.back() == ' ') {
      out.pop_back();
      ++d;
    }
  }
}

void composeLine(std::string& out, const LineNode& p, int32_t shift, bool inComment,
                 const ComposeContext& c) {
  out.clear();
  const char* text = p.text ? p.text : "";
  const LineExtra* x = p.extra();
  if (p.kind == TextLine) {
    if (inComment) {
      // Written as a comment of the language, the comment start after the
      // line's leading blanks.
      size_t n = std::strlen(text);
      while (n > 0 && text[n - 1] == ' ') --n;
      size_t lead = 0;
      while (lead < n && text[lead] == ' ') ++lead;
      appendLead(out, p, shift);
      out.append(text, lead);
      out += c.commentStart;
      out.append(text + lead, n - lead);
      out += c.commentEnd;
    } else {
      appendLead(out, p, shift);
      out += text;
    }
    // A blank line stays empty, whatever the fold's column.
    dropTrailingBlanks(out);
  } else {
    size_t titleEnd = 0;
    size_t dropped = 0;
    appendLead(out, p, shift);
    out += c.commentStart;
    if (p.kind == FoldEnd) {
      out += foldformat::kEndMarker;
      if (x) out += x->tail;
    } else {
      out += fileMarkerOf(p);
      const size_t title = markerscan::titleLength(text, c.commentEnd);
      if (title > 0) {
        out.append(text, title);
      } else {
        // No title: the marker's own blanks go too.
        const size_t full = out.size();
        dropTrailingBlanks(out);
        titleEnd = out.size();
        dropped = full - titleEnd;
      }
    }
    out += c.commentEnd;
    if (x) out += x->after;
    dropTrailingBlanks(out);
    // An empty title's marker blanks stay where dropping them would make the
    // header read as a line declaring the comment convention.
    if (dropped > 0) {
      std::string cs, ce;
      if (markerscan::isDeclaration(out, cs, ce)) out.insert(titleEnd, dropped, ' ');
    }
  }
  if (c.fortran && !out.empty() && (p.kind != TextLine || std::strncmp(text, "C ", 2) == 0))
    out[0] = 'C';
}

bool writesAttributeLine(const LineNode& h) {
  if (h.extra() && h.extra()->attributeLine >= 0) return h.extra()->attributeLine > 0;
  return !hasDefaultAttributes(&h);
}

namespace {

void attributePrefix(std::string& out, const LineNode& h, int32_t shift, const ComposeContext& c) {
  out.clear();
  appendLead(out, h, shift);
  out += c.commentStart;
  out += ":::";
  if (c.fortran && !out.empty()) out[0] = 'C';
}

}  // namespace

void composeAttributeLine(std::string& out, const LineNode& h, int32_t shift,
                          const ComposeContext& c) {
  attributePrefix(out, h, shift, c);
  char nums[32];
  std::snprintf(nums, sizeof nums, "A %2u %u", h.foldType(), h.foldContents());
  out += nums;
  out += c.commentEnd;
  dropTrailingBlanks(out);
}

void composeFileLine(std::string& out, const LineNode& h, int32_t shift, const ComposeContext& c) {
  attributePrefix(out, h, shift, c);
  out += "F ";
  if (h.partner() && h.partner()->text) out += h.partner()->text;
  out += c.commentEnd;
  dropTrailingBlanks(out);
}

void useVerbatim(std::string& out, const LineNode& p, VerbatimSlot slot) {
  if (!p.extra()) return;
  const VerbatimLine* v = p.extra()->verbatim[slot].get();
  if (v && v->composed == out) out = v->read;
}

void keepVerbatim(LineNode& p, VerbatimSlot slot, const std::string& composed,
                  std::string_view read) {
  if (composed == read) {
    if (p.extra()) p.extra()->verbatim[slot].reset();
    return;
  }
  auto v = std::make_unique<VerbatimLine>();
  v->composed = composed;
  v->read = read;
  extraOf(p).verbatim[slot] = std::move(v);
}
