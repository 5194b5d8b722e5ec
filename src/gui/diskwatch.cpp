#include "gui/diskwatch.hpp"

#include <QEvent>
#include <QObject>
#include <vector>

#include "app/diskchanges.hpp"
#include "gui/mainframe.hpp"
#include "gui/documentwindow.hpp"
#include "gui/documentarea.hpp"

namespace {

class DiskWatch : public QObject {
 public:
  explicit DiskWatch(MainFrame& frame) : QObject(&frame), frame_(frame) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &frame_ && event->type() == QEvent::WindowActivate) tell();
    return false;
  }

 private:
  void tell() {
    // The active document first: its note is the one the user looks for.
    std::vector<EditorView*> windows;
    DocumentArea* client = frame_.client();
    if (DocumentWindow* active = client->activeChild()) windows.push_back(active->window());
    for (DocumentWindow* c : client->children()) windows.push_back(c->window());
    const std::string text = changedOnDiskNotice(windows);
    if (!text.empty()) frame_.setStatusMessage(text);
  }

  MainFrame& frame_;
};

}  // namespace

void watchDiskChanges(MainFrame& frame) { frame.installEventFilter(new DiskWatch(frame)); }
