// A pair of texts and whether the repeat filter's equality calls them
// equal, with case and with case ignored, checked both ways round.
#ifndef TARNEL_TESTS_PLATFORM_EQUALITY_CASE_H_
#define TARNEL_TESTS_PLATFORM_EQUALITY_CASE_H_

#include <gtest/gtest.h>

#include "platform/locale_equality.h"

namespace tarnel {

struct EqualityCase {
  const char* name;
  const char* a;
  const char* b;
  bool equal;  ///< with case
  bool equal_ignoring_case;
};

inline void ExpectAnswers(const EqualityCase& c) {
  EXPECT_EQ(LocaleEquality(false)(c.a, c.b), c.equal);
  EXPECT_EQ(LocaleEquality(false)(c.b, c.a), c.equal);
  EXPECT_EQ(LocaleEquality(true)(c.a, c.b), c.equal_ignoring_case);
  EXPECT_EQ(LocaleEquality(true)(c.b, c.a), c.equal_ignoring_case);
}

}  // namespace tarnel

#endif  // TARNEL_TESTS_PLATFORM_EQUALITY_CASE_H_
