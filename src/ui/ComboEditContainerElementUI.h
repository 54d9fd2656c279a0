#pragma once
// An element of a combo box's drop-down list that holds an editable text (a name the user can
// rename in place). The element speaks for its editor: "textchanged" and "return" come with the
// element's name, and a press on the element outside the editor selects it ("itemclick", with
// the element's index).
#include <QString>
#include <QWidget>

class QLineEdit;

namespace orlo::ui {

class CComboEditContainerElementUI : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString text READ Text WRITE SetText)
  Q_PROPERTY(int maxchar READ MaxChars WRITE SetMaxChars)
  Q_PROPERTY(bool readonly READ IsReadOnly WRITE SetReadOnly)
  Q_PROPERTY(bool selected READ IsSelected WRITE SetSelected)
  Q_PROPERTY(int index READ Index WRITE SetIndex)
 public:
  static constexpr const char* kClassName = "ComboEditContainerElement";

  explicit CComboEditContainerElementUI(QWidget* parent = nullptr);

  void SetText(const QString& text);
  QString Text() const;
  // At least 1 character; a longer text already there is cut to fit.
  void SetMaxChars(int count);
  int MaxChars() const;
  void SetReadOnly(bool readOnly);
  bool IsReadOnly() const;
  void SetSelected(bool selected);
  bool IsSelected() const { return selected_; }
  void SetIndex(int index) { index_ = index; }
  int Index() const { return index_; }

  QLineEdit* Editor() const { return edit_; }

  QSize sizeHint() const override { return {200, 32}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QLineEdit* edit_ = nullptr;
  bool selected_ = false;
  bool hot_ = false;
  int index_ = -1;
};

}  // namespace orlo::ui
