// The repeat filter's equality on Windows: lstrcmpA / lstrcmpiA in code page
// 932, which compare characters, not bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/locale_equality.h"
#include "platform/wide_text_win32.h"

namespace tarnel {
namespace {

const LocaleEquality kWithCase(false);
const LocaleEquality kIgnoringCase(true);

std::wstring Characters(const char* text) { return WideFrom(text, CP_ACP); }

bool RunningOnWine() {
  return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"),
                          "wine_get_version") != nullptr;
}

// ア (83 41) and ヂ (83 61): trail bytes that are A and a in ASCII. Folding
// bytes would make them one; they are two characters.
TEST(LocaleEqualityWin32Test, TrailBytesAreNoLettersToFold) {
  ASSERT_EQ(Characters("\x83\x41"), L"\u30a2");
  ASSERT_EQ(Characters("\x83\x61"), L"\u30c2");
  EXPECT_FALSE(kWithCase("\x83\x41", "\x83\x61"));
  EXPECT_FALSE(kIgnoringCase("\x83\x41", "\x83\x61"));
}

// Ａ (82 60) and ａ (82 81): the case of full-width letters is case too.
TEST(LocaleEqualityWin32Test, FullWidthLettersDifferOnlyInCase) {
  EXPECT_FALSE(kWithCase("\x82\x60", "\x82\x81"));
  EXPECT_TRUE(kIgnoringCase("\x82\x60", "\x82\x81"));
  EXPECT_TRUE(kIgnoringCase("x\x82\x60y", "X\x82\x81Y"));
}

// い (82 A2), イ (83 43), ｲ (B2): one sound, three characters.
TEST(LocaleEqualityWin32Test, KanaOfOneSoundAreDifferentCharacters) {
  for (const LocaleEquality* equal : {&kWithCase, &kIgnoringCase}) {
    EXPECT_FALSE((*equal)("\x82\xa2", "\x83\x43"));
    EXPECT_FALSE((*equal)("\x83\x43", "\xb2"));
  }
}

// FA 40 (IBM's extension) and EE EF (NEC's selection of it) are both
// U+2170 "ⅰ": two byte strings, one character, a repeat.
TEST(LocaleEqualityWin32Test, TwoCodesOfOneCharacterAreARepeat) {
  ASSERT_EQ(Characters("\xfa\x40"), Characters("\xee\xef"));
  EXPECT_TRUE(kWithCase("\xfa\x40", "\xee\xef"));
}

// What Wine, not Windows, takes for equal, recorded so that a change in Wine
// shows: codes without a character and a lead byte without its trail byte
// all become the default character, and ー (81 5B) collates with ― (81 5C).
TEST(LocaleEqualityWin32Test, DifferentBytesThatWineTakesForRepeats) {
  if (!RunningOnWine()) GTEST_SKIP() << "recorded for Wine only";
  EXPECT_TRUE(kWithCase("\x85\x40", "\x85\x41"));
  EXPECT_TRUE(kWithCase("x\x82", "x\x83"));
  EXPECT_TRUE(kWithCase("\x81\x5b", "\x81\x5c"));
  // Control characters still differ.
  EXPECT_FALSE(kWithCase("\x01", "\x02"));
}

}  // namespace
}  // namespace tarnel
