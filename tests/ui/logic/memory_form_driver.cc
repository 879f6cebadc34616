// The case tables' window on controls held in memory: the logic alone. What
// a toolkit's controls do by themselves (a radio button clearing its
// partner, an edit refusing typing past its limit) is done here as they do.
#include <algorithm>
#include <memory>
#include <string>

#include "platform/local_text.h"
#include "tests/ui/cases/form_driver.h"
#include "ui/headless/memory_controls.h"
#include "ui/logic/main_form_layout.h"

namespace tarnel {
namespace {

// The UTF-8 characters of |text|, one string each.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                                             : 4;
    characters.push_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

class MemoryFormDriver : public FormDriver {
 public:
  void Start(std::vector<std::string> arguments) override {
    logic_ =
        std::make_unique<MainFormLogic>(c_.controls, form_, application_,
                                        std::move(arguments), runs.Function());
    logic_->Connect();
    logic_->FormCreate();
  }
  MainFormLogic& Logic() override { return *logic_; }
  WindowHandle Owner() override { return application_.handle; }

  bool Checked(std::string_view name) override {
    return Named(name).check->IsChecked();
  }
  bool Shown(std::string_view name) override {
    const NamedControl control = Named(name);
    return control.edit ? control.edit->IsVisible()
                        : control.visible->IsVisible();
  }
  std::string Text(std::string_view name) override {
    const NamedControl control = Named(name);
    return control.edit ? control.edit->Text() : control.status->Text();
  }
  std::size_t Caret(std::string_view name) override {
    return EditNamed(name).caret;
  }
  int Position(std::string_view name) override {
    return Named(name).spin->Position();
  }

  void Click(std::string_view name) override {
    if (FindControl(name)->kind != ControlKind::kRadioButton) {
      static_cast<MemoryCheck*>(Named(name).check)->Click();
      return;
    }
    // One radio button of the pair checked, the other cleared.
    for (const ControlDef& def : MainFormControlTable()) {
      if (def.kind != ControlKind::kRadioButton) continue;
      Named(def.name).check->SetChecked(def.name == name);
    }
  }
  void SetText(std::string_view name, const std::string& text) override {
    Named(name).edit->SetText(text);
  }
  void SetPosition(std::string_view name, int position) override {
    Named(name).spin->SetPosition(position);
  }

  void Edit(std::string_view name, const UserEdit& edit) override {
    MemoryEdit& control = EditNamed(name);
    const auto limit = static_cast<std::size_t>(FindControl(name)->typed_limit);
    const auto room = [&](std::size_t replaced) {
      const std::size_t kept = control.Text().size() - replaced;
      return limit == 0 ? std::string::npos : (kept < limit ? limit - kept : 0);
    };
    control.caret = edit.start + edit.length;
    std::size_t at = edit.start;
    std::size_t selected = edit.length;
    const auto replace = [&](const std::string& bytes) {
      std::string text = control.Text();
      text.replace(at, selected, bytes);
      control.Type(text, at + bytes.size());
      at = control.caret;
      selected = 0;
    };
    if (edit.pasted) {
      std::string bytes = LocalText(edit.text);
      bytes.resize(std::min(bytes.size(), room(selected)));
      if (!bytes.empty() || selected > 0) replace(bytes);
      return;
    }
    if (edit.text.empty()) {
      replace("");
      return;
    }
    for (const std::string& character : Characters(edit.text)) {
      const std::string bytes = LocalText(character);
      // A key that does not fit is refused, the selection left as it was.
      if (bytes.size() > room(selected)) continue;
      replace(bytes);
    }
  }

 private:
  NamedControl Named(std::string_view name) const {
    return FindNamedControl(c_.controls, name);
  }
  MemoryEdit& EditNamed(std::string_view name) const {
    return *static_cast<MemoryEdit*>(Named(name).edit);
  }

  MemoryMainFormControls c_;
  MemoryForm form_;
  MemoryApplication application_;
  std::unique_ptr<MainFormLogic> logic_;
};

}  // namespace

std::unique_ptr<FormDriver> MakeFormDriver() {
  return std::make_unique<MemoryFormDriver>();
}

}  // namespace tarnel
