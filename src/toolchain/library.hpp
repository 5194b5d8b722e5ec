// The outside libraries the build commands load at run time (the make
// library, the link and the host server): looked for in the program's own
// directory first, so that a user's libraries put there win, then where
// the system's loader looks.
#pragma once

#include <string>

// dlopen of the library, from directory `ownDir` (the program's) first;
// null when neither place has a loadable one, with the loader's reason in
// `error`.
void* openBuildLibrary(const std::string& name, const std::string& ownDir, std::string& error);
