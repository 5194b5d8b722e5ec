// The lines the text fold format holds for a node: what the writer writes,
// and what the reader compares a line with to know whether the writer
// would give it back as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/linenode.hpp"

// The file's comment convention and kind, as the lines are composed.
struct ComposeContext {
  const std::string& commentStart;
  const std::string& commentEnd;
  bool fortran = false;
};

// The column a node's line starts at in its file: the fold offset around
// it plus its indent (and, for a closed header, its marker column).
int32_t writtenShift(const LineNode& p, int32_t foldOffset);

// Appends the white space that puts a line `shift` columns in: the line's
// own leading white space when it was read at that shift, moved by the
// difference when its fold has moved since (blanks are added, and taken
// only where there are blanks to take); blanks for a line of the writer's
// own form.
void appendLead(std::string& out, const LineNode& p, int32_t shift);

// The node's own line (text, header or end), with trailing blanks dropped.
// `inComment`: a text line inside a COMMENT fold, written as a comment.
void composeLine(std::string& out, const LineNode& p, int32_t shift, bool inComment,
                 const ComposeContext& c);
// A header's attribute line and a filed fold's file line; `shift` is the
// header's.
void composeAttributeLine(std::string& out, const LineNode& header, int32_t shift,
                          const ComposeContext& c);
void composeFileLine(std::string& out, const LineNode& header, int32_t shift,
                     const ComposeContext& c);
// Whether the writer writes an attribute line for the header.
bool writesAttributeLine(const LineNode& header);

// Replaces a composed line by the line the file held, when the node kept
// one for what was composed.
void useVerbatim(std::string& out, const LineNode& p, VerbatimSlot slot);
// Keeps `read` as the line to write for `composed`, unless they are equal.
void keepVerbatim(LineNode& p, VerbatimSlot slot, const std::string& composed,
                  std::string_view read);
