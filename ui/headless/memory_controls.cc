#include "ui/headless/memory_controls.h"

#include <algorithm>

namespace tarnel {

void MemoryCheck::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  ++changes;
  if (handler_) handler_();
}

void MemoryEdit::SetText(const std::string& text) { Change(text, false); }

void MemoryEdit::Type(const std::string& text) {
  caret = text.size();
  Change(text, true);
}

void MemoryEdit::Change(const std::string& text, bool modified) {
  // As in a toolkit's edit, setting the text it already holds reports
  // nothing.
  if (text == text_) return;
  text_ = text;
  modified_ = modified;
  if (handler_) handler_();
}

void MemorySpin::SetPosition(int position) {
  position_ = std::clamp(position, minimum_, maximum_);
}

void MemorySpin::Step(int delta) {
  const int moved = std::clamp(position_ + delta, minimum_, maximum_);
  if (moved == position_) return;
  position_ = moved;
  if (handler_) handler_();
}

MemoryMainFormControls::MemoryMainFormControls() {
  Sort_F_RadioButton.Load(true);
  ClipBoardCheckBox1.Load(true);
  ClipBoardCheckBox2.Load(true);
  ColumCheckBox.Load(true);
  StringCompCheckBox.Load(true);
  SortPosEdit.Load(kInitialKeyPosition);
  SortPosEdit.visible = true;
  UpDown1.SetPosition(1);
  UpDown2.SetPosition(1);
  StatusLine.text = "テキストソートユーティリティ";
  controls = {&Sort_F_RadioButton,
              &Sort_R_RadioButton,
              &NotCaseSensitiveCheckBox,
              &UniqCheckBox,
              &ClipBoardCheckBox1,
              &FileOpenCheckBox,
              &FileOpenPanel,
              &FileOpenEdit,
              &ClipBoardCheckBox2,
              &FileSaveCheckBox,
              &FileSavePanel,
              &FileSaveEdit,
              &SortPosEdit,
              &UpDown1,
              &UpDown2,
              &ColumCheckBox,
              &FieldCheckBox,
              &StringCompCheckBox,
              &NumCompCheckBox,
              &StatusLine};
}

}  // namespace tarnel
