#include "engine/fileio.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "model/fileidentity.hpp"
#include "model/paths.hpp"
#include "platform/host.hpp"

void read(LineStore& window, LineNode* filedNode, LineNode* after, LineNode* end, bool setNames,
          ReadReport* report) {
  Host& host = window.host;
  const bool ownFile = filedNode == nullptr && setNames;
  auto savedBase = window.basePath;
  int savedTop = window.basePathTop;

  // A name of the user's (command line, dialog) is relative to the working
  // directory; the window's own file also starts the base path stack.
  auto adopt = [&](std::string name) {
    if (name.empty() || filedNode) return name;
    name = absolutePath(normaliseSeparators(name));
    if (ownFile) {
      window.clearBasePath();
      window.pushBasePath(dirName(name));
    }
    return name;
  };
  auto ask = [&]() -> std::string {
    auto chosen = host.openFileDialog(openFilter(), "Open");
    return chosen ? adopt(*chosen) : std::string();
  };

  std::string name;
  if (filedNode)
    name = filedNode->text;
  else if (!window.nameGiven)
    name = ask();
  else
    name = adopt(window.pendingName);

  PathProbe probe;
  while (!name.empty()) {
    probe = resolve(window, name);
    if (probe.usable) break;
    name = ask();
  }

  ReadOutcome r = readFile(window, filedNode, after, end, setNames, name, probe,
                           [&host](const std::string& path) {
                             host.statusMessage("Loading " + path);
                             host.addRecentFile(path);
                           });
  if (report) *report = r.report;
  if (r.failure != ReadFailure::None) {
    window.basePath = savedBase;
    window.basePathTop = savedTop;
    host.messageBox(r.failure == ReadFailure::NoMemory ? "Not enough memory" : "file not found",
                    "Error", MbButtons::Ok, MbIcon::Stop);
    return;
  }
  // A damaged TDS file ends inside folds: their lines stay in the fold
  // around them, so a save moves them there.
  if (r.openFolds > 0)
    host.messageBox("The file\n" + r.path + "\nhas " +
                        std::to_string(r.openFolds) +
                        " fold(s) without an end line. Their lines are shown in the fold "
                        "around them, and saving the file writes them there.",
                    "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
  // Kept as text, they are written back as they were: the user is told
  // why they show no fold.
  if (!r.report.strays.empty()) {
    std::string where;
    const size_t shown = std::min<size_t>(r.report.strays.size(), 20);
    for (size_t i = 0; i < shown; ++i)
      where += (i ? ", " : "") + std::to_string(r.report.strays[i].line);
    if (shown < r.report.strays.size()) where += ", ...";
    host.messageBox("The file\n" + r.path + "\nhas " + std::to_string(r.report.strays.size()) +
                        " fold marker line(s) that do not pair up, at line(s) " + where +
                        ". They are kept as text lines, as they are in the file.",
                    "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
  }
  // A save writes the blanks back: the user is told before editing.
  if (r.report.nuls > 0)
    host.messageBox("The file\n" + r.path + "\nholds " + std::to_string(r.report.nuls) +
                        " NUL bytes (a binary file?). They are shown as blanks, and saving "
                        "the file writes blanks in their place.",
                    "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
}

void Save(LineStore& window, LineNode* pathNode, LineNode* header) {
  Host& host = window.host;
  auto writing = [&host](const std::string& path) {
    host.statusMessage("Saving " + path);
    host.addRecentFile(path);
  };
  WriteOutcome o = writeFile(window, pathNode, header, false, writing);
  if (o.failure == WriteFailure::ChangedOnDisk) {
    if (host.messageBox("The file " + o.path +
                            " has changed on disk since it was read.\nSave it anyway and "
                            "overwrite those changes?",
                        "Plicato Warning", MbButtons::YesNo, MbIcon::Question) != MbResult::Yes)
      return;
    o = writeFile(window, pathNode, header, true, writing);
  }
  if (!o.backupWarning.empty())
    host.messageBox(o.backupWarning, "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
  if (o.failure == WriteFailure::CannotOpen) {
    host.statusMessage("Error opening " + o.path);
  } else if (o.failure == WriteFailure::WriteError) {
    std::string text = std::strerror(o.error ? o.error : EIO);
    if (!o.why.empty()) text += "\n" + o.why;
    if (!o.keptBackup.empty()) text += "\nThe file's old contents are kept in " + o.keptBackup;
    host.messageBox(text, "Stop", MbButtons::Ok, MbIcon::Exclamation);
  }
}

bool saveCommandWrite(LineStore& window, bool modified,
                      const std::function<void()>& leaveEnteredFolds) {
  Host& host = window.host;
  LineNode* bottom = window.fileBottom;
  if (!bottom || !bottom->partner()) return false;
  PathProbe probe = resolve(window, bottom->text ? bottom->text : "");
  if (probe.exists) {
    if (readOnlyError(probe.path)) {
      // Said here; the write below is then refused and says why too.
      host.messageBox("Permission denied", "Plicato Error", MbButtons::Ok, MbIcon::Exclamation);
    } else if (::access(probe.path.c_str(), W_OK) != 0) {
      host.messageBox("File is read-only - unable to save.", "Plicato Warning", MbButtons::Ok,
                      MbIcon::Exclamation);
      window.ioStatus = 2;
      return false;
    }
  }
  if (leaveEnteredFolds) leaveEnteredFolds();
  if (!modified) return true;
  // Leaving entered folds may have moved the file's ends.
  bottom = window.fileBottom;
  Save(window, bottom, bottom->partner());
  return window.ioStatus == 0;
}

bool autoSaveSkips(LineStore& w) {
  if (!changedOnDisk(w)) return false;
  w.host.statusMessage("Auto-save skipped: " + w.diskIdentity.path + " has changed on disk");
  return true;
}
