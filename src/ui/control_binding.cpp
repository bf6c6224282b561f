// Showing a record in its bound controls and reading them back.
#include "ui/control_binding.h"

#include "ui/control_utils.h"

namespace {

// Puts one field into its control.
class CShow {
 public:
  CShow(HWND dialog, int id) : dialog_(dialog), id_(id) {}

  void operator()(bool* checked) const { SetButtonChecked(dialog_, id_, *checked); }
  void operator()(std::string* text) const { SetDlgItemTextA(dialog_, id_, text->c_str()); }
  void operator()(const ComboPosition& combo) const {
    SendDlgItemMessageA(dialog_, id_, CB_SETCURSEL, *combo.position, 0);
  }
  void operator()(const ComboChoice& combo) const {
    LRESULT count = SendDlgItemMessageA(dialog_, id_, CB_GETCOUNT, 0, 0);
    SendDlgItemMessageA(dialog_, id_, CB_SETCURSEL, LRESULT(*combo.choice) < count ? *combo.choice : 0, 0);
  }
  void operator()(const RadioPair& pair) const {
    SetButtonChecked(dialog_, id_, *pair.on);
    SetButtonChecked(dialog_, pair.offId, !*pair.on);
  }
  void operator()(const RadioGroup& group) const {
    for (const RadioChoice& choice : group.choices) SetButtonChecked(dialog_, choice.id, choice.value == *group.value);
  }

 private:
  HWND dialog_;
  int id_;
};

// Reads one field back from its control.
class CRead {
 public:
  CRead(HWND dialog, int id) : dialog_(dialog), id_(id) {}

  void operator()(bool* checked) const { *checked = IsButtonChecked(dialog_, id_); }
  void operator()(std::string* text) const { *text = GetItemString(dialog_, id_); }
  void operator()(const ComboPosition& combo) const {
    *combo.position = static_cast<int>(SendDlgItemMessageA(dialog_, id_, CB_GETCURSEL, 0, 0));
  }
  void operator()(const ComboChoice& combo) const {
    LRESULT choice = SendDlgItemMessageA(dialog_, id_, CB_GETCURSEL, 0, 0);
    *combo.choice = choice == CB_ERR ? 0 : static_cast<uint32_t>(choice);
  }
  void operator()(const RadioPair& pair) const { *pair.on = IsButtonChecked(dialog_, id_); }
  void operator()(const RadioGroup& group) const {
    if (group.choices.empty()) return;
    *group.value = group.choices.back().value;
    for (const RadioChoice& choice : group.choices) {
      if (!IsButtonChecked(dialog_, choice.id)) continue;
      *group.value = choice.value;
      return;
    }
  }

 private:
  HWND dialog_;
  int id_;
};

}  // namespace

void ShowBoundControls(HWND dialog, const std::vector<ControlBinding>& bindings) {
  for (const ControlBinding& binding : bindings) std::visit(CShow(dialog, binding.id), binding.field);
}

void ReadBoundControls(HWND dialog, const std::vector<ControlBinding>& bindings) {
  for (const ControlBinding& binding : bindings) std::visit(CRead(dialog, binding.id), binding.field);
}
