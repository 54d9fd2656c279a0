#pragma once
// The macro record button: a checkable button that is on while a macro is being recorded. While
// recording it shows a pulsing red dot; stopped, a still one. Pressing it raises "click" and
// "selectchanged" (1 recording, 0 stopped) like any option.
#include <QAbstractButton>
#include <QString>

class QTimer;

namespace orlo::ui {

class CRedioMacroButtonUI : public QAbstractButton {
  Q_OBJECT
  Q_PROPERTY(QString recordtext READ RecordText WRITE SetRecordText)
  Q_PROPERTY(QString stoptext READ StopText WRITE SetStopText)
  Q_PROPERTY(bool recording READ IsRecording WRITE SetRecording)
 public:
  static constexpr const char* kClassName = "RedioMacroButton";
  static constexpr int kPulseIntervalMs = 40;
  static constexpr int kPulseSteps = 30;  // one breath of the dot: 1.2 s

  explicit CRedioMacroButtonUI(QWidget* parent = nullptr);

  void SetRecording(bool recording) { setChecked(recording); }
  bool IsRecording() const { return isChecked(); }
  // The pulse runs only while recording and shown, so a hidden page costs no repaints.
  bool IsPulsing() const;
  int PulsePhase() const { return phase_; }

  // Label while stopped (the action it offers) and while recording.
  void SetRecordText(const QString& text);
  QString RecordText() const { return recordText_; }
  void SetStopText(const QString& text);
  QString StopText() const { return stopText_; }
  QString CurrentText() const { return IsRecording() ? stopText_ : recordText_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void UpdatePulse();

  QTimer* pulse_ = nullptr;
  int phase_ = 0;
  bool hot_ = false;
  QString recordText_;
  QString stopText_;
};

}  // namespace orlo::ui
