// The question a build asks before it starts on a modified file.
#pragma once

#include <functional>

class EditorView;

// "Do you want to save changes to <file>" under "Plicato for Windows95",
// Yes and No, when the window is modified; Yes runs `save` (the window's
// save command when `save` is empty). False only when the user said Yes
// and the file could not be written.
bool offerSave(EditorView& w, const std::function<bool(EditorView&)>& save);

// The status message when a build is asked for a window whose file has no
// name yet (and the user did not give it one).
inline constexpr const char* kNoNameRefusal = "The file has no name: save it before building";
