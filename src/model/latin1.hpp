// Text is single bytes read as Latin-1; what the program prints for the
// outside world (JSON, batch dumps) is UTF-8.
#pragma once

#include <string>
#include <string_view>

// Bytes 0x80 to 0xFF become the Latin-1 characters of the same codes.
std::string latin1ToUtf8(std::string_view bytes);
