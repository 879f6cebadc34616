// Equality of two texts under the user's locale, the test the repeat filter
// uses to decide whether a line repeats the one before it. Only "equal or not"
// is ever asked. The caller sets the process locale (setlocale(LC_ALL, "")) at
// start-up; these functions read whatever locale is current.
#ifndef TARNEL_PLATFORM_LOCALE_EQUALITY_H_
#define TARNEL_PLATFORM_LOCALE_EQUALITY_H_

namespace tarnel {

/// True when |a| and |b| collate equal in the current locale.
bool LocaleTextsEqual(const char* a, const char* b);

/// The same with case ignored: both texts are case-folded by the locale's
/// rules before they are collated.
bool LocaleTextsEqualIgnoringCase(const char* a, const char* b);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_LOCALE_EQUALITY_H_
