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

void MemoryEdit::Type(const std::string& text) { Type(text, text.size()); }

void MemoryEdit::Type(const std::string& text, std::size_t new_caret) {
  caret = new_caret;
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

void MemoryForm::RunPending() {
  // Work may put off more work; that waits for the next round.
  std::vector<std::function<void()>> work;
  work.swap(later);
  for (const auto& step : work) step();
}

MemoryMainFormControls::MemoryMainFormControls() {
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
  // The states the window starts with; no handler is installed yet, so
  // nothing reacts.
  for (const ControlDef& def : MainFormControlTable()) {
    const NamedControl control = FindNamedControl(controls, def.name);
    if (control.check) control.check->SetChecked(def.checked);
    if (control.edit) control.edit->SetText(def.text ? def.text : "");
    if (control.visible) control.visible->SetVisible(def.shown);
    if (control.edit) control.edit->SetVisible(def.shown);
    if (control.spin) control.spin->SetPosition(kKeyPositionMinimum);
    if (control.status) StatusLine.text = def.text;
  }
}

}  // namespace tarnel
