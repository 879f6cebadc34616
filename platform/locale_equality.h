// Equality of two texts under the user's locale, the test the repeat filter
// uses to decide whether a line repeats the one before it. Only "equal or not"
// is ever asked. The caller sets the process locale (setlocale(LC_ALL, "")) at
// start-up; these functions read whatever locale is current.
#ifndef TARNEL_PLATFORM_LOCALE_EQUALITY_H_
#define TARNEL_PLATFORM_LOCALE_EQUALITY_H_

#include <memory>

namespace tarnel {

/// Equality under the locale that is current when the object is made, with
/// or without case: when case is ignored, both texts are case-folded by the
/// locale's rules before they are collated.
class LocaleEquality {
 public:
  explicit LocaleEquality(bool ignore_case);
  /// True when |a| and |b| collate equal.
  bool operator()(const char* a, const char* b) const;
  /// True when only the same bytes collate equal (case not ignored, a
  /// locale that collates by byte value), so no collation call is needed.
  bool SameBytesOnly() const { return !ignore_case_ && byte_order_; }

 private:
  struct ByteFold;

  bool ignore_case_;
  bool byte_order_;  ///< the locale collates by byte value (the C locales)
  /// Where the locale's characters are single bytes: each byte's fold, so
  /// that no text needs decoding. Null elsewhere.
  std::shared_ptr<const ByteFold> byte_fold_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_LOCALE_EQUALITY_H_
