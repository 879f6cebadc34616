// The texts the main window and the About box show, in UTF-8, for both
// views: the Qt one and the one on Windows' own controls.
#ifndef TARNEL_UI_LOGIC_WINDOW_TEXTS_H_
#define TARNEL_UI_LOGIC_WINDOW_TEXTS_H_

#include "ui/logic/tarnel_version.h"

namespace tarnel {

/// The application's title: the windows' and the application's own boxes'
/// caption.
inline constexpr char kApplicationTitle[] = "TARNEL";
/// The help file, found beside the program or in its data folder.
inline constexpr char kHelpFileName[] = "Tarnel.hlp";

namespace main_form_text {
inline constexpr const char* kTitle = kApplicationTitle;
inline constexpr char kStatusAtStart[] = "テキストソートユーティリティ";
inline constexpr char kSortMenuCaption[] = "ソート順指定";
inline constexpr char kAscendingCaption[] = "昇順ソート";
inline constexpr char kDescendingCaption[] = "降順ソート";
inline constexpr char kInputGroupCaption[] = "ソート対象";
inline constexpr char kOutputGroupCaption[] = "ソート結果の保存先";
inline constexpr char kClipboardCaption[] = "クリップボード";
inline constexpr char kFileCaption[] = "ファイル";
inline constexpr char kBrowseCaption[] = "参照";
inline constexpr char kRunCaption[] = "実行";
inline constexpr char kCloseCaption[] = "閉じる";
inline constexpr char kOptionsPageCaption[] = "ソートオプション";
inline constexpr char kKeyPageCaption[] = "ソートキー";
inline constexpr char kIgnoreCaseCaption[] = "英大文字小文字同一視";
inline constexpr char kUniqueCaption[] = "重複行削除";
inline constexpr char kColumnCaption[] = "バイト（桁）";
inline constexpr char kFieldCaption[] = "フィールド";
inline constexpr char kStringCaption[] = "文字列";
inline constexpr char kNumberCaption[] = "数値";
}  // namespace main_form_text

namespace about_box_text {
inline constexpr const char* kTitle = kApplicationTitle;
inline constexpr char kProductName[] = "TARNEL.EXE";
inline constexpr char kVersionLabel[] = "Version";
inline constexpr char kCopyright[] = TARNEL_COPYRIGHT_STRING;
inline constexpr char kComments[] = "テキストソートユーティリティ";
inline constexpr char kOkCaption[] = "OK";
}  // namespace about_box_text

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_WINDOW_TEXTS_H_
