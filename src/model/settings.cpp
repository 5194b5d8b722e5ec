#include "model/settings.hpp"

Settings& settings() {
  static Settings values;
  return values;
}
