// MainFrame: the main window, "Plicato for Windows": the menus of the
// layout in force, the tool bar, the document area and the status bar (a
// message field and the seven fields of the active editor window).
// Menu entries and buttons that stand for editor commands queue the
// command's key into the active editor window.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <map>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QToolBar;
class DesktopApplication;
class BuildCommands;
class DocumentArea;
class EditorView;
class DocumentWindow;
struct OpenDocument;
struct WindowPlacement;

// The program that sends a file by mail (xdg-email), or "" when the search
// path has none: "Send..." is grayed then.
QString mailHandler();
// The box of a send that failed with the status: the number, then why in
// words.
std::string mailFailure(long code);

class MainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainFrame(DesktopApplication& app);
  ~MainFrame() override;

  DocumentArea* client() const { return client_; }
  QToolBar* toolBar() const { return toolBar_; }
  QLabel* messageField() const { return message_; }
  QLabel* statusField(int n) const { return fields_.at(static_cast<size_t>(n)); }

  // The main menu of the layout in force (MAIN_MENU_PLI or MAIN_MENU_WIN)
  // and the document menus (MENU_PLI or MENU_WIN); again after a layout
  // change, so that the entries show the keys of the new table.
  void buildMenus();
  std::string menuResource() const { return menuResource_; }
  BuildCommands* buildCommands() const { return build_; }
  std::string documentMenuResource() const { return documentMenuResource_; }
  // The document menus, shown while a document is active.
  const std::vector<QMenu*>& documentMenus() const { return documentMenus_; }

  // The action of a frame command (101, 102, ..., 24310); null if none.
  QAction* frameAction(int id) const;
  // The action of an editor command in the document menus; null if none.
  QAction* editorAction(int command) const;
  // The tool-bar button of that name (NEW, OPEN, ...).
  QAction* toolAction(const QString& name) const;

  // Runs a frame command.
  void runFrameCommand(int id);
  // Queues an editor command's key into the active editor window.
  void runEditorCommand(int command);
  // A choice of an editor window's context menu.
  void runContextCommand(DocumentWindow* child, int id);

  // Enabled states of the entries and buttons, after every command and
  // whenever another window becomes active.
  void updateCommandStates();

  // Files dropped onto the frame: at most 10 are opened; 11 or more give
  // "To many files !" under "Plicato Warning" and none is opened.
  void openDropped(const QStringList& files);

  // Status bar.
  void setStatusMessage(const std::string& text);
  void setStatusFields(const std::array<std::string, 7>& fields);

  // "MainWindowPlacement".
  void restoreMainPlacement();
  void saveMainPlacement();

  // The exit has been agreed (questions asked, reopen list written): the
  // next close does not ask again.
  void setExitAgreed() { exitAgreed_ = true; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  QAction* makeFrameAction(int id, const QString& text);
  void buildToolBar();
  void buildStatusBar();
  void fillRecentFiles();
  void fillWindowMenu();
  void childActivated();
  void connectChild(DocumentWindow* child);
  void sendMail();
  void about();
  OpenDocument* activeDocument() const;
  // The editor window of the active document, or null.
  EditorView* activeWindow() const;

  DesktopApplication& app_;
  DocumentArea* client_;
  BuildCommands* build_ = nullptr;  // compile, make and run with their messages windows
  QToolBar* toolBar_ = nullptr;
  QLabel* message_ = nullptr;
  std::array<QLabel*, 7> fields_{};
  std::map<int, QAction*> frameActions_;
  std::map<int, QAction*> editorActions_;
  std::map<QString, QAction*> toolActions_;
  std::vector<QMenu*> documentMenus_;
  std::vector<QMenu*> menus_;
  QMenu* recentMenu_ = nullptr;
  QAction* recentSeparator_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  std::string menuResource_;
  std::string documentMenuResource_;
  bool exitAgreed_ = false;
  bool placementRestored_ = false;

  friend class DesktopApplication;
};
