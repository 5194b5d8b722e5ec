// Telling the user about files that another program changed while their
// documents were open, when the user comes back to the program: the note
// says so and how to read the file again; nothing is read by itself.
#pragma once

#include <string>
#include <vector>

struct LineStore;
class EditorView;
class KeyTableInForce;

// "%s has changed on disk; Reload reads it again" with Reload's key for a
// window whose own file changed on disk, else "".
std::string changedOnDiskNotice(const LineStore& w, const KeyTableInForce& keys);
// The note for the first of the windows whose file changed, else "".
std::string changedOnDiskNotice(const std::vector<EditorView*>& windows);
