#pragma once
// One row of the settings window's update list: the check box with the product's name, the
// installed and the newer version, the status text, the progress while downloading and the
// "downloaded" mark. It shows an update::UpdateListRow; the window owns the list.
#include <QWidget>

#include "update/UpdateList.h"

class QCheckBox;
class QLabel;

namespace orlo {

class CUpdateRowUI : public QWidget {
  Q_OBJECT
 public:
  explicit CUpdateRowUI(QWidget* parent = nullptr);

  // Shows the row; the status text follows the current language.
  void Show(const update::UpdateListRow& row);
  QCheckBox* Check() const { return check_; }

  // The language key of a row status' text.
  static const char* StatusTextId(int status);

 private:
  QCheckBox* check_ = nullptr;
  QLabel* oldRev_ = nullptr;
  QLabel* newRev_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* progress_ = nullptr;
  QLabel* ok_ = nullptr;
};

}  // namespace orlo
