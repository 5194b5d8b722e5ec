#include "toolchain/library.hpp"

#include <dlfcn.h>

#include "model/paths.hpp"

void* openBuildLibrary(const std::string& name, const std::string& ownDir, std::string& error) {
  const std::string own = joinPath(ownDir, name);
  if (fileExists(own)) {
    if (void* h = ::dlopen(own.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
    // A library beside the program that does not load is the user's own
    // mistake: say so rather than quietly taking another one.
    const char* why = ::dlerror();
    error = why ? why : own;
    return nullptr;
  }
  if (void* h = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) return h;
  const char* why = ::dlerror();
  error = why ? why : name;
  return nullptr;
}
