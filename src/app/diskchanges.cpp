#include "app/diskchanges.hpp"

#include "commands/context.hpp"

#include "commands/keytable.hpp"
#include "display/editorview.hpp"
#include "model/fileidentity.hpp"
#include "model/linestore.hpp"

std::string changedOnDiskNotice(const LineStore& w, const KeyTableInForce& keys) {
  if (!changedOnDisk(w)) return "";
  std::string text = w.diskIdentity.path + " has changed on disk; Reload reads it again";
  const std::string key = keys.keyNameOfCommand(cmdReloadFile);
  if (!key.empty()) text += " (" + key + ")";
  return text;
}

std::string changedOnDiskNotice(const std::vector<EditorView*>& windows) {
  for (const EditorView* w : windows)
    if (w) {
      std::string text = changedOnDiskNotice(w->doc, commandContext(*w).keys);
      if (!text.empty()) return text;
    }
  return "";
}
