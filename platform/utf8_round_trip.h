// Whether the locale's bytes come back unchanged from a trip through Qt's
// UTF-16 strings. Off Windows Qt takes the locale's encoding to be UTF-8;
// text that is plainly well-formed UTF-8 then makes the trip unchanged, so
// the trip can be skipped. Anything else (malformed sequences, which Qt
// replaces, a byte order mark in front, noncharacters) takes the trip as
// before.
#ifndef TARNEL_PLATFORM_UTF8_ROUND_TRIP_H_
#define TARNEL_PLATFORM_UTF8_ROUND_TRIP_H_

#include <functional>
#include <string>
#include <string_view>

namespace tarnel {

/// True when |bytes| are well-formed UTF-8 that does not start with a byte
/// order mark and holds no noncharacter: then decoding them to UTF-16 and
/// encoding them back gives the same bytes. False is only "not known".
bool SurvivesUtf16RoundTrip(std::string_view bytes);

/// The conversion that takes bytes through Qt's UTF-16 strings and back.
using Utf16Trip = std::function<std::string(std::string_view)>;

/// |bytes| as the trip through UTF-16 leaves them: the bytes themselves when
/// they make it unchanged, which spares two conversions of a large text;
/// else |through_utf16|'s result, kept in |converted|.
std::string_view AfterUtf16Trip(std::string_view bytes,
                                const Utf16Trip& through_utf16,
                                std::string& converted);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_UTF8_ROUND_TRIP_H_
