// QtHost: the Host of the desktop program.
//
// Message boxes, prompts and dialogs are Qt dialogs; the status bar, the
// recent-files list and the parent of dialogs belong to the frame, which
// plugs them in through the hooks below. Private window messages (1125,
// 1128) become queued Qt events to the editor widget registered for the
// window, so they run later from the event loop, as posted messages do.
#pragma once

#include <QEvent>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commands/keytable.hpp"
#include "platform/host.hpp"

class QDialog;
class QWidget;
class EditorWidget;

// One of an editor window's own messages (kMsgSetUpDone, kMsgKeysWaiting)
// on its way to the window's widget.
class WindowMessageEvent : public QEvent {
 public:
  static QEvent::Type eventType();
  explicit WindowMessageEvent(int message) : QEvent(eventType()), message(message) {}
  const int message;
};

// "Name (*.c;*.h)|*.c;*.h|..." -> "Name (*.c *.h);;..." (the form of
// QFileDialog). "*.*" becomes "*", since names without a dot are files too.
QString qtFileFilter(const std::string& filter);
// The filter with an entry for every file ("All files (*.*)") at its end
// when none of its entries takes every file already.
std::string withAllFiles(const std::string& filter);
// Which entry of the filter (counted as qtFileFilter lists them) a file
// dialog starts on for files like `fileName`: the first entry of the
// file's type, else the one that takes every file; -1 when there is none.
int filterEntryFor(const std::string& filter, const std::string& fileName);

// Single bytes to and from Qt text (Latin-1); characters beyond it are
// refused: nullopt.
QString fromLatin1(const std::string& bytes);
std::optional<std::string> toLatin1(const QString& text);

class EditorView;

class QtHost : public Host {
 public:
  QtHost();
  ~QtHost() override;

  // --- what the frame plugs in --------------------------------------------
  std::function<void(const std::string&)> onStatusMessage;
  std::function<void(const std::array<std::string, 7>&)> onStatusFields;
  std::function<void(const std::string&)> onRecentFile;
  // The widget dialogs are parented on (the frame); null = none.
  std::function<QWidget*()> dialogParent;
  // The "Print" button of the help dialog (command 115).
  std::function<void()> onHelpPrint;

  // --- test hooks: answer without a modal loop ---------------------------
  // Consulted first by every message box and confirmation box; nullopt
  // lets the real box come up.
  std::function<std::optional<MbResult>(const std::string& text, const std::string& caption,
                                        MbButtons buttons)>
      answerBox;
  // Runs every other modal dialog (file dialogs included) instead of
  // exec(): fill its fields and return QDialog::Accepted or Rejected.
  std::function<int(QDialog&)> runDialog;

  // --- editor widgets --------------------------------------------------
  // The widget that shows the window; messages posted before it was
  // registered are delivered once it is.
  void registerWidget(EditorView& window, EditorWidget* widget);
  // By address only: the window may be gone already.
  void unregisterWidget(const EditorView* window);
  EditorWidget* widgetOf(const EditorView& window) const;
  // The widget of the window that has the focus (else the first one).
  EditorWidget* activeWidget() const;
  // The 1128 message reached the widget: another one may be posted now.
  void messageDelivered(EditorView& window, int message);

  // --- Host ------------------------------------------------------------
  MbResult messageBox(const std::string& text, const std::string& caption, MbButtons buttons,
                      MbIcon icon) override;
  MbResult confirmAt(const std::string& dialog, const std::string& text, MbButtons buttons,
                     int row, int col) override;
  void statusMessage(const std::string& text) override;
  void statusFields(const std::array<std::string, 7>& fields) override;
  std::optional<std::string> openFileDialog(const std::string& filter,
                                            const std::string& title) override;
  // The same, starting on entry `selected` of the filter (-1: the first).
  std::optional<std::string> openFileDialog(const std::string& filter, const std::string& title,
                                            int selected);
  std::optional<std::string> saveAsDialog(const std::string& filter,
                                          const std::string& defaultName) override;
  std::optional<CommentAnswer> askCommentConvention(const CommentAnswer& offered) override;
  std::optional<std::string> prompt(const std::string& dialog, const std::string& label,
                                    const std::string& defaultText, int maxLen) override;
  std::optional<unsigned char> symbolDialog() override;
  std::optional<SearchRequest> searchDialog(const SearchRequest& defaults, bool replace) override;
  void helpDialog(const std::string& resource, const std::string& title,
                  const std::string& text) override;
  void addRecentFile(const std::string& path) override;
  void setClipboardText(const std::string& text) override;
  std::optional<std::string> clipboardText() override;
  void beep() override;
  bool waitForInput(WindowHandle window) override;
  void pumpMessages() override;
  bool postMessage(WindowHandle window, int message) override;
  void waitCursor(bool on) override;
  bool runDetached(const std::string& command) override;
  std::array<int, 2> screenSize() override;
  std::array<int, 2> iconSize() override;
  void invalidateRows(WindowHandle window, int firstRow, int lastRow) override;
  [[noreturn]] void exitProcess(int code) override;

  // The key table in force, which the help dialog labels its layout from
  // (without one: the compiled-in table of the layout asked for).
  std::function<const CommandKeyTable&()> keyTableInForce;

  // The last status message and fields (the frame may start after them).
  const std::string& lastStatus() const { return lastStatus_; }
  const std::array<std::string, 7>& lastFields() const { return lastFields_; }

 private:
  // exec() or the test hook.
  int execDialog(QDialog& dialog);
  QWidget* parentWidget() const;

  std::map<const EditorView*, EditorWidget*> widgets_;
  // Messages posted for windows whose widget does not exist yet.
  std::map<const EditorView*, std::vector<int>> early_;
  // Windows with a kMsgKeysWaiting on its way: one is enough to drain the
  // keys.
  std::map<const EditorView*, bool> keysPosted_;
  std::string lastStatus_;
  std::array<std::string, 7> lastFields_;
  int waitCursors_ = 0;
};
