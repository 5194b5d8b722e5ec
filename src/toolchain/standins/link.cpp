// Stand-in link library: a board simulated on the host has no link to
// open, so every address opens, except "none", which lets the failure
// path be tried.
#include <atomic>
#include <cstring>

namespace {
std::atomic<int> nextHandle{1};
}

extern "C" __attribute__((visibility("default"))) int OpenLink(const char* address, int timeout) {
  (void)timeout;
  if (address && std::strcmp(address, "none") == 0) return -1;
  return nextHandle++;
}

extern "C" __attribute__((visibility("default"))) int ResetLink(int link) {
  return link > 0 ? 0 : -1;
}

extern "C" __attribute__((visibility("default"))) int CloseLink(int link) {
  return link > 0 ? 0 : -1;
}
