// What the parts of one editor share: the host it runs under, the settings
// and the count of spare lines. The program (or a test) makes one context
// and hands it to everything it builds; each layer adds its own part
// (engine/context.hpp, commands/context.hpp, app/context.hpp).
#pragma once

#include <cstdint>

#include "model/settings.hpp"

class Host;

struct ModelContext {
  explicit ModelContext(Host& h) : host(h) {}
  ModelContext(const ModelContext&) = delete;
  ModelContext& operator=(const ModelContext&) = delete;

  Host& host;
  Settings settings;
  // Lines held on the dispose lists of every line store of the editor.
  int32_t freeCount = 0;
};
