#pragma once
// The picture of one gun on the shoot page: the path the pointer takes over the gun's 30
// bullets, drawn from the first bullet at the top, with the selected bullet marked.
#include <QWidget>
#include <vector>

#include "pages/shoot/GunPattern.h"

namespace orlo {

class CShootPatternViewUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CShootPatternViewUI";

  explicit CShootPatternViewUI(QWidget* parent = nullptr);
  static void RegisterControl();

  void SetPattern(std::vector<shoot::Bullet> bullets, int selected);
  const std::vector<shoot::Bullet>& Pattern() const { return bullets_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<shoot::Bullet> bullets_;
  int selected_ = -1;
};

}  // namespace orlo
