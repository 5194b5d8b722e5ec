#include "toolchain/savequestion.hpp"

#include "display/editorview.hpp"
#include "engine/filecommands.hpp"
#include "platform/host.hpp"

bool offerSave(EditorView& w, const std::function<bool(EditorView&)>& save) {
  if (!w.doc.modified) return true;
  const MbResult answer = w.host.messageBox("Do you want to save changes to " + w.doc.fileName,
                                            "Plicato for Windows95", MbButtons::YesNo,
                                            MbIcon::Question);
  if (answer != MbResult::Yes) return true;
  if (save) return save(w);
  if (w.hooks.save) return w.hooks.save(w);
  return saveCommand(w);
}
