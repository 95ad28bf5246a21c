// Names live in the high-score file as Windows-1252 bytes; the windows show
// UTF-8. These convert between the two (glibc iconv).
#pragma once

#include <string>
#include <string_view>

namespace vornakka {

// A character Windows-1252 lacks becomes '?'. Invalid UTF-8 bytes too.
std::string utf8ToCp1252(std::string_view utf8);
// Bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become '?'.
std::string cp1252ToUtf8(std::string_view cp1252);

}  // namespace vornakka
