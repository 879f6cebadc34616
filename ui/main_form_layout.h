// The main window's fixed geometry, in pixels at 96 dpi with a 12-pixel font.
#ifndef TARNEL_UI_MAIN_FORM_LAYOUT_H_
#define TARNEL_UI_MAIN_FORM_LAYOUT_H_

namespace tarnel {

/// The client area, below the menu bar.
inline constexpr int kMainClientWidth = 426;
inline constexpr int kMainClientHeight = 314;

}  // namespace tarnel

#endif  // TARNEL_UI_MAIN_FORM_LAYOUT_H_
