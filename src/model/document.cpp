#include "model/document.hpp"

Document::~Document() { clearBasePath(); }
