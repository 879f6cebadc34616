// The front end's text-to-integer conversion, used wherever a control's text
// becomes a number (the key position, the spin controls' positions).
#ifndef TARNEL_UI_LOGIC_PARSE_INT_H_
#define TARNEL_UI_LOGIC_PARSE_INT_H_

#include <cstdint>
#include <string_view>

namespace tarnel {

/// The integer that the whole of |text| spells, else |default_value|.
/// Leading spaces are skipped. Then either an optional sign and decimal
/// digits within the signed 32-bit range, or, without a sign, hexadecimal
/// digits after "$", "x", "X", "0x" or "0X" taken as a 32-bit pattern (so
/// "$FFFFFFFF" is -1). Nothing else may follow, not even a blank.
std::int32_t ParseIntDefault(std::string_view text, std::int32_t default_value);

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_PARSE_INT_H_
