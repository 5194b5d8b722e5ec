#include "app/placement.hpp"

#include <set>

#include "app/registry.hpp"
#include "app/settingsstore.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

uint32_t getU32(const std::vector<uint8_t>& in, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | in[at + static_cast<size_t>(i)];
  return v;
}

std::vector<uint8_t> u32Bytes(uint32_t v) {
  std::vector<uint8_t> out;
  putU32(out, v);
  return out;
}

// A binary value of exactly the wanted size; anything else counts as missing.
std::optional<std::vector<uint8_t>> binaryOfSize(const std::string& key, const char* name,
                                                 size_t size) {
  auto v = registry().getBinary(key, name);
  if (!v || v->size() != size) return std::nullopt;
  return v;
}

void writeRecord(const std::string& name, const WindowPlacement& p, bool showTree, bool wrap) {
  if (settingsInProfile()) {
    ProfileFile& ini = plicatoIni();
    ini.writeString(name, "FLAGS", std::to_string(p.flags));
    ini.writeString(name, "SHOWCMD", std::to_string(p.showCmd));
    ini.writeString(name, "NORMAL_POSITION_LEFT", std::to_string(p.left));
    ini.writeString(name, "NORMAL_POSITION_TOP", std::to_string(p.top));
    ini.writeString(name, "NORMAL_POSITION_RIGHT", std::to_string(p.right));
    ini.writeString(name, "NORMAL_POSITION_BOTTOM", std::to_string(p.bottom));
    ini.writeString(name, "SHOW_TREE", showTree ? "1" : "0");
    ini.writeString(name, "WRAP_MODE", wrap ? "1" : "0");
    return;
  }
  Registry& reg = registry();
  std::string key = registryKey(kPlicatoRoot, name);
  reg.createKey(key);
  std::vector<uint8_t> rect;
  putU32(rect, static_cast<uint32_t>(p.left));
  putU32(rect, static_cast<uint32_t>(p.top));
  putU32(rect, static_cast<uint32_t>(p.right));
  putU32(rect, static_cast<uint32_t>(p.bottom));
  reg.setBinary(key, "flags", u32Bytes(p.flags));
  reg.setBinary(key, "showCmd", u32Bytes(p.showCmd));
  reg.setBinary(key, "rcNormal", rect);
  reg.setBinary(key, "ShowTree", u32Bytes(showTree ? 1 : 0));
  reg.setBinary(key, "WrapMode", u32Bytes(wrap ? 1 : 0));
}

// Whether the window's placement may be stored; tells the user when the
// window system could not report it.
bool placementReadable(Host& host, const PlacedWindow& window) {
  if (!window.isEditorWindow) return false;
  if (!window.placement) {
    host.messageBox("Plicato", "Couldn't Get Window Placement", MbButtons::Ok, MbIcon::Stop);
    return false;
  }
  return true;
}

struct Record {
  WindowPlacement p;
  std::optional<bool> showTree;
  std::optional<bool> wrap;
};

bool readRecord(const std::string& name, bool wantTree, Record& r) {
  if (settingsInProfile()) {
    ProfileFile& ini = plicatoIni();
    // Missing keys read as 0, but a section that holds none of them is no
    // record: restoring it would shrink the window to nothing.
    static const char* const kKeys[] = {"FLAGS", "SHOWCMD", "NORMAL_POSITION_LEFT",
                                        "NORMAL_POSITION_TOP", "NORMAL_POSITION_RIGHT",
                                        "NORMAL_POSITION_BOTTOM"};
    bool any = false;
    for (const char* k : kKeys) any = any || ini.has(name, k);
    if (!any) return false;
    auto num = [&](const char* key) { return settingsNumber(ini.getString(name, key, "0")); };
    r.p.flags = static_cast<uint32_t>(ini.getInt(name, "FLAGS", 0));
    r.p.showCmd = static_cast<uint32_t>(ini.getInt(name, "SHOWCMD", 0));
    r.p.left = num("NORMAL_POSITION_LEFT");
    r.p.top = num("NORMAL_POSITION_TOP");
    r.p.right = num("NORMAL_POSITION_RIGHT");
    r.p.bottom = num("NORMAL_POSITION_BOTTOM");
    r.showTree = num("SHOW_TREE") != 0;
    r.wrap = num("WRAP_MODE") != 0;
    return true;
  }
  std::string key = registryKey(kPlicatoRoot, name);
  if (!registry().hasKey(key)) return false;
  auto flags = binaryOfSize(key, "flags", 4);
  auto show = binaryOfSize(key, "showCmd", 4);
  auto rect = binaryOfSize(key, "rcNormal", 16);
  if (!flags || !show || !rect) return false;
  auto tree = binaryOfSize(key, "ShowTree", 4);
  if (wantTree && !tree) return false;
  auto wrap = binaryOfSize(key, "WrapMode", 4);
  r.p.flags = getU32(*flags, 0);
  r.p.showCmd = getU32(*show, 0);
  r.p.left = static_cast<int32_t>(getU32(*rect, 0));
  r.p.top = static_cast<int32_t>(getU32(*rect, 4));
  r.p.right = static_cast<int32_t>(getU32(*rect, 8));
  r.p.bottom = static_cast<int32_t>(getU32(*rect, 12));
  if (tree) r.showTree = getU32(*tree, 0) != 0;
  if (wrap) r.wrap = getU32(*wrap, 0) != 0;
  return true;
}

std::string fileKey(int n) { return "File" + std::to_string(n); }

}  // namespace

bool storePlacement(Host& host, const std::string& name, const WindowPlacement& placement,
                    bool showTree, bool wrapMode) {
  return writeSettingsBatch(host, [&] { writeRecord(name, placement, showTree, wrapMode); });
}

bool savePlacement(Host& host, const PlacedWindow& window, const std::string& name,
                   bool showTree, bool wrapMode) {
  if (!placementReadable(host, window)) return false;
  return storePlacement(host, name, *window.placement, showTree, wrapMode);
}

bool restorePlacement(Host& host, const std::string& name, WindowPlacement& placement,
                      bool* showTree, bool* maximised, bool* wrapMode) {
  bool inProfile = settingsInProfile();
  Record r;
  if (!readRecord(name, showTree != nullptr, r)) return false;

  auto screen = host.screenSize();
  auto icon = host.iconSize();
  if (r.p.left > screen[0] - icon[0] || r.p.top > screen[1] - icon[1]) return false;
  // A record from a wider desktop can also lie beyond the left or top edge.
  if (r.p.right < icon[0] || r.p.bottom < icon[1]) return false;

  bool isMaximisedFile = name.rfind("File", 0) == 0 && r.p.showCmd == kShowMaximised;
  if (maximised) {
    *maximised = isMaximisedFile;
    // The caller maximises it inside the client; the window system must not.
    if (isMaximisedFile) r.p.showCmd = inProfile ? 1 : 0;
  }
  if (showTree && r.showTree) *showTree = *r.showTree;
  if (wrapMode && r.wrap) *wrapMode = *r.wrap;
  placement = r.p;
  return true;
}

std::vector<ReopenEntry> readReopenEntries() {
  ProfileFile& ini = plicatoIni();
  std::vector<ReopenEntry> entries;
  std::set<std::string> seen;
  for (int n = 1; n <= kReopenListSize; ++n) {
    std::string name = ini.getString("FILES", fileKey(n), "");
    if (name.empty()) break;
    // Lists written before a file could be open only once hold copies.
    if (!seen.insert(absolutePath(name)).second) continue;
    entries.push_back({name, n});
  }
  return entries;
}

std::vector<std::string> readReopenList() {
  std::vector<std::string> files;
  for (ReopenEntry& e : readReopenEntries()) files.push_back(std::move(e.file));
  return files;
}

bool writeReopenList(Host& host, std::vector<PlacedWindow>& windows, int* counter) {
  if (counter) *counter = 0;
  // The windows are all asked first, so a refusal leaves the old list whole.
  std::vector<const PlacedWindow*> listed;
  std::set<std::string> seen;
  for (PlacedWindow& w : windows) {
    if (w.hidden || !w.isEditorWindow || w.title.empty()) continue;
    if (w.title == "Noname") {
      if (w.mayClose && !w.mayClose(w)) {
        if (counter) *counter = -100;
        return false;
      }
      if (w.title == "Noname") continue;
    }
    if (!w.fileName.empty() && !seen.insert(absolutePath(w.fileName)).second) continue;
    listed.push_back(&w);
  }

  int n = 0;
  writeSettingsBatch(host, [&] {
    ProfileFile& ini = plicatoIni();
    for (const PlacedWindow* w : listed) {
      ++n;
      ini.writeString("FILES", fileKey(n), w->fileName);
      if (placementReadable(host, *w))
        writeRecord(fileKey(n) + "Placement", *w->placement, w->showTree, w->wrapMode);
    }
    for (int k = n + 1; k <= kReopenListSize; ++k) ini.writeString("FILES", fileKey(k), "");
    ini.writeString("FILES", "Counter", std::to_string(n));
  });
  if (counter) *counter = n;
  return true;
}
