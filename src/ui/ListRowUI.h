#pragma once
// A list row of a title, a line of details and one button. A press of the button is the row's
// own "click" (sent with the row's name), so a list can tell its rows apart by name alone.
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace orlo::ui {

class CListRowUI : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString title READ Title WRITE SetTitle)
  Q_PROPERTY(QString details READ Details WRITE SetDetails)
  Q_PROPERTY(QString buttontext READ ButtonText WRITE SetButtonText)
 public:
  explicit CListRowUI(QWidget* parent = nullptr);

  void SetTitle(const QString& text);
  QString Title() const;
  void SetDetails(const QString& text);
  QString Details() const;
  void SetButtonText(const QString& text);
  QString ButtonText() const;
  void SetButtonEnabled(bool enabled);
  bool IsButtonEnabled() const;

  QPushButton* Button() const { return button_; }

  QSize sizeHint() const override { return {360, 50}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QLabel* title_ = nullptr;
  QLabel* details_ = nullptr;
  QPushButton* button_ = nullptr;
  bool hot_ = false;
};

}  // namespace orlo::ui
