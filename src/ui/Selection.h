#pragma once
// Changing a selection from code, optionally without the notification the user's own change
// would raise (a page reflecting a loaded profile must not loop back into routing).
class QAbstractButton;
class QWidget;

namespace orlo::ui {

// Selects item `index` of a combo, list, tab widget or stacked widget (-1 clears a combo or
// list). False when the control is none of these or the index is out of range.
bool SelectItem(QWidget* control, int index, bool notify = true);
// Checks or unchecks an option button.
void SelectOption(QAbstractButton* option, bool selected, bool notify = true);

}  // namespace orlo::ui
