// A file read and saved comes back as it was but for the writer's normal
// forms, whatever its bytes; what was written reads back to the same tree
// and writes the same bytes again.
//
// Input: byte 0 chooses the convention, byte 1 the tab size; the rest is
// the file.
#include <cstdio>

#include "fuzzsupport.hpp"
#include "engine/fileio.hpp"
#include "model/foldwriter.hpp"
#include "model/settings.hpp"
#include "support/fidelity.hpp"
#include "support/foldwindow.hpp"

namespace {

std::unique_ptr<LineStore> readAs(ModelContext& ctx, const WindowSpec& conv,
                                  const std::string& path) {
  auto w = foldtest::newWindow(ctx, conv.commentStart, conv.commentEnd, conv.typeName);
  foldtest::open(*w, path);
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInit();
  if (size < 2) return 0;
  FuzzHost host;
  ScopedHost scoped(host);
  const WindowSpec& conv = kConventions[data[0] % kConventionCount];
  ModelContext ctx(host);
  ctx.settings.tabSize = 1 + data[1] % 20;
  const std::string original(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string path = writeScratch(std::string("rt") + conv.extension, original);

  auto w = readAs(ctx, conv, path);
  // A TDS reading is no text file's; a file too big for the line budget
  // is no round trip.
  if (w->readAsTds || w->ioStatus == 2) return 0;
  checkTree(*w);
  const std::string treeRead = treeText(*w);
  Save(*w, w->fileBottom, w->fileBottom->partner());
  fuzzCheck(w->ioStatus == 0, "the save failed");
  std::string written;
  fuzzCheck(readScratch(path, written), "the file written cannot be read");
  const std::string diff = fidelity::compare(original, written, conv.commentStart, conv.commentEnd);
  if (!diff.empty()) std::fprintf(stderr, "fuzz: %s\n", diff.c_str());
  fuzzCheck(diff.empty(), "the file came back changed beyond the normal forms");

  auto back = readAs(ctx, conv, path);
  const std::string treeBack = treeText(*back);
  if (treeBack != treeRead)
    std::fprintf(stderr, "fuzz: tree read:\n%s\nfuzz: tree read back:\n%s\nfuzz: written:\n%s\n",
                 treeRead.c_str(), treeBack.c_str(), written.c_str());
  fuzzCheck(treeBack == treeRead, "what the writer wrote reads back to another tree");
  Save(*back, back->fileBottom, back->fileBottom->partner());
  std::string again;
  fuzzCheck(readScratch(path, again) && again == written, "a second save writes other bytes");
  return 0;
}
