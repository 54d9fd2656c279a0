#pragma once
// Input captured from the application's own window: while started, every key press and release
// the window receives (by its native key code, an X11/Wayland key code, mapped to its set 1
// scan code) and every mouse button pressed or released over it, each stamped on arrival. The
// window grabs the keyboard meanwhile, and the key events are taken from it, so the recorded
// keys neither act on the page nor reach the desktop. Works the same on X11 and Wayland; it
// sees no input outside the window and nothing at all while stopped.
//
// The capture ends by itself, the grab released, when the window loses the focus.
#include <QObject>
#include <QPointer>
#include <functional>

#include "macro/capture/InputCapture.h"

class QWidget;

namespace orlo {

class CWindowInputCapture : public QObject, public IInputCapture {
  Q_OBJECT
 public:
  using Clock = std::function<int64_t()>;

  // window: the widget whose window is captured and grabs the keyboard. clock: milliseconds on
  // any steady base (default: the steady clock).
  explicit CWindowInputCapture(QWidget* window, Clock clock = {});
  ~CWindowInputCapture() override;

  bool Start(ICaptureSink* sink) override;
  void Stop() override;
  bool Active() const override { return sink_ != nullptr; }
  int64_t NowMs() const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Lose();

  QPointer<QWidget> window_;
  Clock clock_;
  ICaptureSink* sink_ = nullptr;
  QPointer<QWidget> grabber_;
};

}  // namespace orlo
