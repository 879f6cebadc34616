#include "ui/logic/main_form_layout.h"

#include <algorithm>

#include "ui/logic/window_texts.h"

namespace tarnel {

namespace {

namespace text = main_form_text;
using enum ControlKind;

// Made in this order, which is also the tab order of the tab stops. The
// radio buttons are the window's own, drawn over their frame.
constexpr ControlDef kControls[] = {
    {.name = "StatusLine",
     .kind = kStatusBar,
     .rect = {0, 291, kMainClientWidth, 23},
     .text = text::kStatusAtStart},
    {.name = "SortMenu",
     .kind = kGroupBox,
     .rect = {16, 8, 169, 89},
     .text = text::kSortMenuCaption},
    {.name = "Sort_F_RadioButton",
     .kind = kRadioButton,
     .rect = {32, 32, 113, 17},
     .text = text::kAscendingCaption,
     .checked = true,
     .tab = 0},
    {.name = "Sort_R_RadioButton",
     .kind = kRadioButton,
     .rect = {32, 64, 121, 17},
     .text = text::kDescendingCaption,
     .tab = 1},
    {.name = "PageControl1",
     .kind = kPageControl,
     .rect = {208, 8, 201, 89},
     .tab = 2},
    {.name = "TabSheet1",
     .parent = "PageControl1",
     .kind = kTabSheet,
     .text = text::kOptionsPageCaption},
    {.name = "NotCaseSensitiveCheckBox",
     .parent = "TabSheet1",
     .kind = kCheckBox,
     .rect = {8, 8, 145, 17},
     .text = text::kIgnoreCaseCaption,
     .tab = 3},
    {.name = "UniqCheckBox",
     .parent = "TabSheet1",
     .kind = kCheckBox,
     .rect = {8, 32, 97, 17},
     .text = text::kUniqueCaption,
     .tab = 4},
    {.name = "TabSheet2",
     .parent = "PageControl1",
     .kind = kTabSheet,
     .text = text::kKeyPageCaption,
     .shown = false},
    {.name = "SortPosEdit",
     .parent = "TabSheet2",
     .kind = kEdit,
     .rect = {16, 8, 41, 20},
     .text = kInitialKeyPosition,
     .tab = 5,
     .typed_limit = kKeyPositionTypedLimit},
    {.name = "UpDown1",
     .parent = "TabSheet2",
     .kind = kUpDown,
     .rect = {57, 8, 15, 20},
     .buddy = "SortPosEdit",
     .step = kUpDown1Increment},
    {.name = "UpDown2",
     .parent = "TabSheet2",
     .kind = kUpDown,
     .rect = {72, 8, 16, 20},
     .step = kUpDown2Increment},
    {.name = "ColumCheckBox",
     .parent = "TabSheet2",
     .kind = kCheckBox,
     .rect = {16, 40, 81, 17},
     .text = text::kColumnCaption,
     .checked = true,
     .tab = 6},
    {.name = "FieldCheckBox",
     .parent = "TabSheet2",
     .kind = kCheckBox,
     .rect = {104, 40, 73, 17},
     .text = text::kFieldCaption,
     .tab = 7},
    {.name = "StringCompCheckBox",
     .parent = "TabSheet2",
     .kind = kCheckBox,
     .rect = {96, 0, 97, 17},
     .text = text::kStringCaption,
     .checked = true,
     .tab = 8},
    {.name = "NumCompCheckBox",
     .parent = "TabSheet2",
     .kind = kCheckBox,
     .rect = {96, 16, 97, 17},
     .text = text::kNumberCaption,
     .tab = 9},
    {.name = "InputGroupBox",
     .kind = kGroupBox,
     .rect = {16, 104, 393, 73},
     .text = text::kInputGroupCaption},
    {.name = "ClipBoardCheckBox1",
     .parent = "InputGroupBox",
     .kind = kCheckBox,
     .rect = {16, 16, 97, 17},
     .text = text::kClipboardCaption,
     .checked = true,
     .tab = 10},
    {.name = "FileOpenCheckBox",
     .parent = "InputGroupBox",
     .kind = kCheckBox,
     .rect = {128, 16, 57, 17},
     .text = text::kFileCaption,
     .tab = 11},
    {.name = "FileOpenPanel",
     .parent = "InputGroupBox",
     .kind = kBrowsePanel,
     .rect = {344, 40, 41, 17},
     .text = text::kBrowseCaption,
     .shown = false,
     .tab = 12},
    {.name = "FileOpenEdit",
     .parent = "InputGroupBox",
     .kind = kPathEdit,
     .rect = {16, 40, 321, 20},
     .text = "",
     .shown = false,
     .tab = 13},
    {.name = "OutputGroupBox",
     .kind = kGroupBox,
     .rect = {16, 184, 393, 73},
     .text = text::kOutputGroupCaption},
    {.name = "ClipBoardCheckBox2",
     .parent = "OutputGroupBox",
     .kind = kCheckBox,
     .rect = {16, 16, 97, 17},
     .text = text::kClipboardCaption,
     .checked = true,
     .tab = 14},
    {.name = "FileSaveCheckBox",
     .parent = "OutputGroupBox",
     .kind = kCheckBox,
     .rect = {128, 16, 57, 17},
     .text = text::kFileCaption,
     .tab = 15},
    {.name = "FileSavePanel",
     .parent = "OutputGroupBox",
     .kind = kBrowsePanel,
     .rect = {344, 40, 41, 17},
     .text = text::kBrowseCaption,
     .shown = false,
     .tab = 16},
    {.name = "FileSaveEdit",
     .parent = "OutputGroupBox",
     .kind = kPathEdit,
     .rect = {16, 40, 321, 20},
     .text = "",
     .shown = false,
     .tab = 17},
    {.name = "OKButton",
     .kind = kPushButton,
     .rect = {112, 264, 75, 25},
     .text = text::kRunCaption,
     .tab = 18,
     .default_button = true},
    {.name = "CancelButton",
     .kind = kPushButton,
     .rect = {232, 264, 75, 25},
     .text = text::kCloseCaption,
     .tab = 19},
};

constexpr MenuDef kMenu[] = {
    {"FileMenu", nullptr, "&File"},
    {"FileOpenItem", "FileMenu", "&Open", MenuCommand::kOpen},
    {"N1", "FileMenu", nullptr},
    {"FileExitItem", "FileMenu", "e&Xit", MenuCommand::kExit},
    {"HelpMenu", nullptr, "&Help"},
    {"HelpContentsItem", "HelpMenu", "&Contents", MenuCommand::kContents},
    {"HelpSearchItem", "HelpMenu", "&Search", MenuCommand::kSearch},
    {"N3", "HelpMenu", nullptr},
    {"HelpAboutItem", "HelpMenu", "&About", MenuCommand::kAbout},
};

template <class Row>
const Row* FindRow(std::span<const Row> rows, std::string_view name) {
  const auto found =
      std::find_if(rows.begin(), rows.end(),
                   [&](const Row& row) { return row.name == name; });
  return found == rows.end() ? nullptr : &*found;
}

}  // namespace

std::span<const ControlDef> MainFormControlTable() { return kControls; }
std::span<const MenuDef> MainMenuTable() { return kMenu; }

std::vector<const ControlDef*> TabOrder() {
  std::vector<const ControlDef*> stops;
  for (const ControlDef& def : MainFormControlTable()) {
    if (def.tab != kNoTabStop) stops.push_back(&def);
  }
  std::sort(
      stops.begin(), stops.end(),
      [](const ControlDef* a, const ControlDef* b) { return a->tab < b->tab; });
  return stops;
}

const ControlDef* FindControl(std::string_view name) {
  return FindRow(MainFormControlTable(), name);
}

const MenuDef* FindMenuEntry(std::string_view name) {
  return FindRow(MainMenuTable(), name);
}

}  // namespace tarnel
