// The main window's fixed geometry, in pixels at 96 dpi with a 12-pixel font,
// and the limits of its key position controls, for both views.
#ifndef TARNEL_UI_LOGIC_MAIN_FORM_LAYOUT_H_
#define TARNEL_UI_LOGIC_MAIN_FORM_LAYOUT_H_

namespace tarnel {

/// The client area, below the menu bar.
inline constexpr int kMainClientWidth = 426;
inline constexpr int kMainClientHeight = 314;

/// The user types at most this many characters into the key position.
inline constexpr int kKeyPositionTypedLimit = 5;
/// The range of the spin controls on the key position, and their steps.
inline constexpr int kKeyPositionMinimum = 1;
inline constexpr int kKeyPositionMaximum = 1024;
inline constexpr int kUpDown1Increment = 10;
inline constexpr int kUpDown2Increment = 1;

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_MAIN_FORM_LAYOUT_H_
