// A dialog's controls bound to the fields of the record it shows: each control (or group of
// radio buttons) with the field it stands for and how it shows it, so that one routine fills
// the controls from the record and one reads them back. Rules (clamps, enabling) stay with the
// dialog's record; the binding only moves values.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// A combo box position as it stands: -1 shows and reads as no selection.
struct ComboPosition {
  int* position;
};
// A combo box choice: one past the list shows the first entry, no selection reads as 0.
struct ComboChoice {
  uint32_t* choice;
};
// Two radio buttons for a boolean: the binding's control when true, offId when false.
struct RadioPair {
  bool* on;
  int offId;
};
// One button of a radio group and the value it stands for.
struct RadioChoice {
  int id;
  uint32_t value;
};
// Radio buttons for a number: the button of the value is checked, the others not; reading gives
// the value of the first checked button in this order, else the last's.
struct RadioGroup {
  uint32_t* value;
  std::vector<RadioChoice> choices;
};

// A check box (bool), an edit or static text (std::string), or one of the above.
using BoundField = std::variant<bool*, std::string*, ComboPosition, ComboChoice, RadioPair, RadioGroup>;

// One control of a dialog and the field it shows (0 for a radio group, whose buttons it names).
struct ControlBinding {
  int id;
  BoundField field;
};

// Puts every bound field into its controls, in table order.
void ShowBoundControls(HWND dialog, const std::vector<ControlBinding>& bindings);
// Reads every bound field back from its controls.
void ReadBoundControls(HWND dialog, const std::vector<ControlBinding>& bindings);
