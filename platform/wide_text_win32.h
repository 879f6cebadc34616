// Text between the byte encodings Windows knows by their code page (the
// ANSI code page, UTF-8) and the UTF-16 its wide functions take. The one
// pair of conversions for the whole program and its tests.
#ifndef TARNEL_PLATFORM_WIDE_TEXT_WIN32_H_
#define TARNEL_PLATFORM_WIDE_TEXT_WIN32_H_

#include <string>
#include <string_view>

namespace tarnel {

/// |bytes| in |code_page| (CP_ACP, CP_UTF8, ...) as UTF-16. Bytes the code
/// page does not map become its default character, as the -A functions
/// take them. Empty when |bytes| is empty or cannot be converted.
std::wstring WideFrom(std::string_view bytes, unsigned code_page);

/// |wide| as bytes in |code_page|; a character the code page lacks
/// becomes its default character. Empty when |wide| is empty or cannot be
/// converted.
std::string BytesFrom(std::wstring_view wide, unsigned code_page);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_WIDE_TEXT_WIN32_H_
