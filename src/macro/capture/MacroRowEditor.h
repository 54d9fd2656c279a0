#pragma once
// The event rows of the open macro as the recorder edits them. Each row holds its event as a
// JSON object ({"Type", "Button", "Action", "Delay"}) and shows its delay in an edit of its own.
#include <json/json.h>

namespace orlo {

class IMacroRowEditor {
 public:
  virtual ~IMacroRowEditor() = default;
  virtual int RowCount() const = 0;
  // -1 when no row is selected.
  virtual int SelectedRow() const = 0;
  virtual void SelectRow(int row) = 0;
  // A new row at index `at` (0..RowCount()) showing event, its delay taken from "Delay".
  virtual void InsertRow(int at, const Json::Value& event) = 0;
  virtual Json::Value RowEvent(int row) const = 0;
  // Replaces the row's event and what it shows (name, action, delay).
  virtual void SetRowEvent(int row, const Json::Value& event) = 0;
  // The delay the row's edit shows.
  virtual int RowDelay(int row) const = 0;
  virtual void SetRowDelay(int row, int delay) = 0;
  // Brings the selected row into view.
  virtual void ScrollToSelection() {}
};

}  // namespace orlo
