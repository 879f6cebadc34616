// POSIX: strcoll / wcscoll under the current LC_COLLATE, with the locale's
// towlower as the case fold. Texts that are not valid in the locale's
// multibyte encoding (Shift-JIS bytes under UTF-8, say) cannot be folded by
// the locale, so they fall back to folding A to Z only.
#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/ascii_fold.h"
#include "platform/locale_equality.h"

namespace tarnel {

namespace {

// In the C locales collation is byte order, so strcmp answers alone and the
// (much slower) collation call can be skipped for texts that differ.
bool CollationIsByteOrder() {
  const char* name = std::setlocale(LC_COLLATE, nullptr);
  if (!name) return true;
  return std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
         std::strncmp(name, "C.", 2) == 0;
}

unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

bool AsciiFoldEqual(const char* a, const char* b) {
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  while (*x && FoldAscii(*x) == FoldAscii(*y)) ++x, ++y;
  return FoldAscii(*x) == FoldAscii(*y);
}

// Decodes |text| in the locale's encoding and lowers every character.
// Returns false when the text is not valid in that encoding.
bool FoldWide(const char* text, std::wstring& out) {
  // No character takes less than a byte: one pass decodes the whole text.
  const std::size_t room = std::strlen(text) + 1;
  out.resize(room);
  std::mbstate_t state{};
  const char* source = text;
  const std::size_t length = std::mbsrtowcs(out.data(), &source, room, &state);
  if (length == static_cast<std::size_t>(-1)) return false;
  out.resize(length);
  for (wchar_t& c : out) {
    c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
  }
  return true;
}

constexpr std::wint_t kNotACharacter = WEOF;

enum class FoldOutcome { kEqual, kDiffer, kUndecided };

// Decodes and folds |a| and |b| a character at a time, up to the first pair
// that differs: neighbours in sorted order mostly part within a few
// characters, and decoding the whole of both would cost most of the time.
// kUndecided when either text is not valid up to there.
FoldOutcome CompareFolded(const char* a, const char* b) {
  std::mbstate_t a_state{};
  std::mbstate_t b_state{};
  const std::size_t most = MB_CUR_MAX;
  for (;;) {
    wchar_t x = 0;
    wchar_t y = 0;
    const std::size_t a_bytes = std::mbrtowc(&x, a, most, &a_state);
    const std::size_t b_bytes = std::mbrtowc(&y, b, most, &b_state);
    if (a_bytes > most || b_bytes > most) return FoldOutcome::kUndecided;
    if (std::towlower(static_cast<std::wint_t>(x)) !=
        std::towlower(static_cast<std::wint_t>(y))) {
      return FoldOutcome::kDiffer;
    }
    if (x == 0) return FoldOutcome::kEqual;  // and so is y
    a += a_bytes;
    b += b_bytes;
  }
}

}  // namespace

// In a locale whose characters are single bytes, decoding a text is
// looking up each byte: the fold of every byte, or kNotACharacter where
// the byte is none in the locale (all from 128 up in the C locale).
struct LocaleEquality::ByteFold {
  std::wint_t folded[256];

  ByteFold() {
    folded[0] = 0;
    for (int b = 1; b < 256; ++b) {
      const char c = static_cast<char>(b);
      wchar_t wide = 0;
      std::mbstate_t state{};
      const std::size_t n = std::mbrtowc(&wide, &c, 1, &state);
      folded[b] = n == 1 ? std::towlower(static_cast<std::wint_t>(wide))
                         : kNotACharacter;
    }
  }

  // Whether every byte of |text| is a character.
  bool Decodes(const unsigned char* text) const {
    for (; *text; ++text) {
      if (folded[*text] == kNotACharacter) return false;
    }
    return true;
  }

  // FoldWide(a) == FoldWide(b), or AsciiFoldEqual when either fails.
  bool Equal(const char* a, const char* b) const {
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    if (!Decodes(x) || !Decodes(y)) return AsciiFoldEqual(a, b);
    while (*x && folded[*x] == folded[*y]) ++x, ++y;
    return *x == *y;
  }
};

LocaleEquality::LocaleEquality(bool ignore_case)
    : ignore_case_(ignore_case), byte_order_(CollationIsByteOrder()) {
  if (ignore_case_ && byte_order_ && MB_CUR_MAX == 1) {
    byte_fold_ = std::make_shared<const ByteFold>();
  }
}

bool LocaleEquality::operator()(const char* a, const char* b) const {
  if (!ignore_case_) {
    if (std::strcmp(a, b) == 0) return true;
    return !byte_order_ && std::strcoll(a, b) == 0;
  }
  if (byte_order_) {
    // While both texts are plain ASCII the answer needs no decoding; ASCII
    // bytes that follow only ASCII bytes are whole characters in every
    // encoding the locale can have, so what follows can be folded on its own.
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    // Eight bytes at a time while both texts go on and both are ASCII:
    // neighbours in sorted order share long prefixes.
    const std::size_t both = std::min(std::strlen(a), std::strlen(b));
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    for (std::size_t at = 0; at + 8 <= both; at += 8, x += 8, y += 8) {
      std::uint64_t u;
      std::uint64_t v;
      std::memcpy(&u, x, 8);
      std::memcpy(&v, y, 8);
      if (((u | v) & kHigh) != 0) break;
      if (FoldCaseInWord(u) != FoldCaseInWord(v)) return false;
    }
    for (; *x < 0x80 && *y < 0x80; ++x, ++y) {
      if (FoldAscii(*x) != FoldAscii(*y)) return false;
      if (*x == 0) return true;
    }
    a = reinterpret_cast<const char*>(x);
    b = reinterpret_cast<const char*>(y);
    if (byte_fold_) return byte_fold_->Equal(a, b);
  }
  // The same bytes decode and fold alike, or fail alike.
  if (std::strcmp(a, b) == 0) return true;
  if (byte_order_) {
    // Texts that are valid throughout compare by their folded characters.
    // One that is not compares by AsciiFoldEqual, which never calls texts
    // equal whose bytes differ otherwise than in the case of A to Z: where
    // it says so, a difference found is the answer whatever comes after.
    switch (CompareFolded(a, b)) {
      case FoldOutcome::kEqual:
        return true;
      case FoldOutcome::kDiffer:
        if (!AsciiFoldEqual(a, b)) return false;
        break;
      case FoldOutcome::kUndecided:
        break;
    }
  }
  // One pair of buffers per thread: the result is built on two threads.
  thread_local std::wstring fa, fb;
  if (!FoldWide(a, fa) || !FoldWide(b, fb)) return AsciiFoldEqual(a, b);
  if (byte_order_) return fa == fb;
  return std::wcscoll(fa.c_str(), fb.c_str()) == 0;
}

}  // namespace tarnel
