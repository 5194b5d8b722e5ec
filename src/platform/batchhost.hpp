// A scripted, headless Host: answers come from a queue, every message box
// and status text is recorded in order. Used by tests and `plicato --batch`.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/host.hpp"

class BatchHost : public Host {
 public:
  // One thing that happened, in the order it happened.
  struct Event {
    enum class Kind { Box, Status } kind;
    std::string caption;
    std::string text;
    std::string answer;  // boxes only: "yes", "no", "cancel" or "ok"
  };

  // Queue the answer for the next dialog or message box; "" cancels.
  void queueAnswer(const std::string& answer) { answers_.push_back(answer); }
  size_t answersLeft() const { return answers_.size(); }

  const std::vector<Event>& events() const { return events_; }
  void clearEvents() { events_.clear(); }
  // The texts of every status message and of every box, in order.
  std::vector<std::string> statusTexts() const;
  std::vector<std::string> boxTexts() const;
  std::string lastStatus() const;
  const std::array<std::string, 7>& fields() const { return fields_; }
  const std::vector<std::string>& recentFiles() const { return recent_; }
  int beeps() const { return beeps_; }
  const std::vector<std::string>& detachedCommands() const { return detached_; }
  // The painted runs of each row, as last painted.
  const std::map<int, std::vector<PaintedRun>>& paintedRows() const { return painted_; }
  // Called by exitProcess before the process ends (the batch driver dumps).
  void setExitHook(std::function<void(int)> hook) { exitHook_ = std::move(hook); }
  // Called by waitForInput: gives the window more keys, false when none are left.
  void setInputFeeder(std::function<bool(WindowHandle)> feeder) { feeder_ = std::move(feeder); }
  void setScreenSize(int w, int h) { screen_ = {w, h}; }

  MbResult messageBox(const std::string& text, const std::string& caption, MbButtons buttons,
                      MbIcon icon) override;
  void statusMessage(const std::string& text) override;
  void statusFields(const std::array<std::string, 7>& fields) override { fields_ = fields; }
  std::optional<std::string> openFileDialog(const std::string& filter,
                                            const std::string& title) override;
  std::optional<std::string> saveAsDialog(const std::string& filter,
                                          const std::string& defaultName) override;
  std::optional<CommentAnswer> askCommentConvention(const CommentAnswer& offered) override;
  std::optional<std::string> prompt(const std::string& dialog, const std::string& label,
                                    const std::string& defaultText, int maxLen) override;
  std::optional<unsigned char> symbolDialog() override;
  std::optional<SearchRequest> searchDialog(const SearchRequest& defaults, bool replace) override;
  void addRecentFile(const std::string& path) override { recent_.push_back(path); }
  void beep() override { ++beeps_; }
  bool waitForInput(WindowHandle window) override;
  bool runDetached(const std::string& command) override;
  std::array<int, 2> screenSize() override { return screen_; }
  void paintedRow(WindowHandle window, int row, const std::vector<PaintedRun>& runs) override;
  [[noreturn]] void exitProcess(int code) override;

 private:
  // Next queued answer; false when none is queued.
  bool takeAnswer(std::string& out);

  std::deque<std::string> answers_;
  std::vector<Event> events_;
  std::array<std::string, 7> fields_;
  std::vector<std::string> recent_;
  std::vector<std::string> detached_;
  std::map<int, std::vector<PaintedRun>> painted_;
  std::function<void(int)> exitHook_;
  std::function<bool(WindowHandle)> feeder_;
  std::array<int, 2> screen_{1920, 1080};
  int beeps_ = 0;
};

// Parses "key=value;key=value" into a map (keys lower-cased).
std::map<std::string, std::string> parseAnswerPairs(const std::string& text);
