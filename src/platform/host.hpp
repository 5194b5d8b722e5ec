// The one door through which the core reaches the outside world.
//
// Every message box, status text, prompt, dialog, clipboard access, beep,
// wait for input and process exit of the editor goes through a Host. The
// desktop program implements it with Qt (QtHost), tests and `plicato --batch`
// with a scripted BatchHost. A feature that works with one and not the other
// is a fault in this seam.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A window as the host knows it. Opaque down here: the layers above make
// one from their view of a document and turn it back.
class WindowHandle {
 public:
  WindowHandle() = default;
  explicit WindowHandle(void* window) : p_(window) {}
  void* get() const { return p_; }

 private:
  void* p_ = nullptr;
};

enum class MbButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MbIcon { None, Stop, Exclamation, Question, Information };
enum class MbResult { Ok, Cancel, Yes, No };

// Answer of the "GET_COM" dialog: type name and the two comment signs.
struct CommentAnswer {
  std::string typeName;
  std::string commentStart;
  std::string commentEnd;
};

// The search dialog ("DIALOG_3") and replace dialog ("DIALOG_1") fill this.
struct SearchRequest {
  enum class Mode { StopOnFirst, PromptForNext, ReplaceAll };
  std::string text;
  std::string replacement;
  bool backward = false;
  Mode mode = Mode::StopOnFirst;
  bool matchCase = false;
  bool allFiles = false;
};

// A coloured run of one painted row, as the line painter laid it out.
struct PaintedRun {
  int column = 0;
  std::string text;
  uint32_t textColour = 0;
  uint32_t backColour = 0xFFFFFF;
};

class Host {
 public:
  virtual ~Host() = default;

  // A modal message box; the answer is one of the buttons offered.
  virtual MbResult messageBox(const std::string& text, const std::string& caption,
                              MbButtons buttons = MbButtons::Ok,
                              MbIcon icon = MbIcon::None) = 0;
  // A confirmation box shown near the cursor ("MY_BOX_SEAR", "MY_BOX_REPL").
  virtual MbResult confirmAt(const std::string& dialog, const std::string& text,
                             MbButtons buttons, int row, int col) {
    (void)row; (void)col;
    return messageBox(text, dialog, buttons, MbIcon::Question);
  }

  // The status bar's message field.
  virtual void statusMessage(const std::string& text) = 0;
  // The seven text fields of the status line of the active editor window.
  virtual void statusFields(const std::array<std::string, 7>& fields) { (void)fields; }

  // File dialogs; nullopt when the user cancels.
  virtual std::optional<std::string> openFileDialog(const std::string& filter,
                                                    const std::string& title) = 0;
  virtual std::optional<std::string> saveAsDialog(const std::string& filter,
                                                  const std::string& defaultName) = 0;

  // "GET_COM": asks for the comment convention of an unknown file type.
  virtual std::optional<CommentAnswer> askCommentConvention(const CommentAnswer& offered) = 0;

  // A one-line prompt: dialog is the resource name ("INPUT", "INPUT2",
  // "Command"), label its field text; at most maxLen characters.
  virtual std::optional<std::string> prompt(const std::string& dialog, const std::string& label,
                                            const std::string& defaultText, int maxLen) = 0;
  // "SYMBOL": a character to insert.
  virtual std::optional<unsigned char> symbolDialog() { return std::nullopt; }
  // "DIALOG_3" and "DIALOG_1".
  virtual std::optional<SearchRequest> searchDialog(const SearchRequest& defaults, bool replace) {
    (void)defaults; (void)replace;
    return std::nullopt;
  }
  // The key-layout help dialog ("HELP" or "HELP_2") with its text.
  virtual void helpDialog(const std::string& resource, const std::string& title,
                          const std::string& text) {
    (void)resource; (void)title; (void)text;
  }

  // The application's recent-files list.
  virtual void addRecentFile(const std::string& path) { (void)path; }

  // Clipboard text (single bytes).
  virtual void setClipboardText(const std::string& text) { clipboard_ = text; }
  virtual std::optional<std::string> clipboardText() {
    if (clipboard_.empty()) return std::nullopt;
    return clipboard_;
  }

  virtual void beep() {}

  // Wait until keys arrive for the window; false when the window should stop
  // dispatching (the batch script is used up, the window is closing).
  virtual bool waitForInput(WindowHandle window) { (void)window; return false; }
  // Handle window messages that are waiting, without blocking (the
  // dispatcher pumps them between keys so menus and other windows stay live).
  virtual void pumpMessages() {}
  // Post one of the window's own messages (kMsgSetUpDone, kMsgKeysWaiting)
  // to it; false when it failed.
  virtual bool postMessage(WindowHandle window, int message) {
    (void)window; (void)message;
    return true;
  }
  // Wait cursor on and off around long operations.
  virtual void waitCursor(bool on) { (void)on; }

  // Start a command line through the shell, detached from the editor: it
  // is not waited for.
  virtual bool runDetached(const std::string& command) { (void)command; return false; }

  // Screen size in pixels and the icon size, for window placements.
  virtual std::array<int, 2> screenSize() { return {1920, 1080}; }
  virtual std::array<int, 2> iconSize() { return {32, 32}; }

  // The widget of the window repaints these rows (1-based, inclusive).
  virtual void invalidateRows(WindowHandle window, int firstRow, int lastRow) {
    (void)window; (void)firstRow; (void)lastRow;
  }
  // The painted runs of one row, for hosts that keep them (tests read colours).
  virtual void paintedRow(WindowHandle window, int row, const std::vector<PaintedRun>& runs) {
    (void)window; (void)row; (void)runs;
  }

  // Ends the process after a fatal report; never returns.
  [[noreturn]] virtual void exitProcess(int code) = 0;

 protected:
  std::string clipboard_;
};

// Where the text allocator tells that the process ends for want of memory:
// it alone has no editor at hand. Each program's start sets it to its own
// host (the desktop program's, a batch session's, plicato-fold's); without
// one the report goes to the standard error. Nothing else uses it.
Host& processHost();
void setProcessHost(Host* host);

// A fatal report: message box with the stop icon, then the process ends.
[[noreturn]] void fatalReport(Host& host, const std::string& text, const std::string& caption,
                              int exitCode);
