#include "pages/macro/WindowInputCapture.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <chrono>

#include "platform/input/PcScanCode.h"

namespace orlo {
namespace {

int ButtonBit(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    case Qt::BackButton: return 8;
    case Qt::ForwardButton: return 16;
    default: return 0;
  }
}

}  // namespace

CWindowInputCapture::CWindowInputCapture(QWidget* window, Clock clock)
    : window_(window), clock_(std::move(clock)) {}

CWindowInputCapture::~CWindowInputCapture() { Stop(); }

int64_t CWindowInputCapture::NowMs() const {
  if (clock_) return clock_();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool CWindowInputCapture::Start(ICaptureSink* sink) {
  if (sink == nullptr || window_ == nullptr || qApp == nullptr) return false;
  if (sink_ == nullptr) qApp->installEventFilter(this);
  sink_ = sink;
  QWidget* top = window_->window();
  if (grabber_ != top) {
    if (grabber_) grabber_->releaseKeyboard();
    top->grabKeyboard();
    grabber_ = top;
  }
  return true;
}

void CWindowInputCapture::Stop() {
  if (sink_ != nullptr && qApp != nullptr) qApp->removeEventFilter(this);
  sink_ = nullptr;
  if (grabber_) grabber_->releaseKeyboard();
  grabber_ = nullptr;
}

void CWindowInputCapture::Lose() {
  ICaptureSink* sink = sink_;
  Stop();
  if (sink != nullptr) sink->OnCaptureLost();
}

bool CWindowInputCapture::eventFilter(QObject* watched, QEvent* event) {
  if (sink_ == nullptr) return false;
  QWidget* top = window_ ? window_->window() : nullptr;
  switch (event->type()) {
    case QEvent::ApplicationStateChange:
      if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() != Qt::ApplicationActive) Lose();
      return false;
    case QEvent::WindowDeactivate:
      if (watched == top) Lose();
      return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      // Each event is first delivered to the window system's window, then to the widget that
      // has the focus: taking it at the window sees it once and keeps it from the widget.
      if (qobject_cast<QWindow*>(watched) == nullptr) return false;
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->isAutoRepeat()) return true;
      const auto scan = platform::PcScanCodeOfXkbKeycode(key->nativeScanCode());
      if (scan) {
        CapturedInput input;
        input.kind = CapturedInput::kKey;
        input.down = event->type() == QEvent::KeyPress;
        input.scanCode = scan->code;
        input.extended = scan->extended;
        input.timeMs = NowMs();
        sink_->OnCapturedInput(input);
      }
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
      if (qobject_cast<QWindow*>(watched) == nullptr) return false;
      auto* mouse = static_cast<QMouseEvent*>(event);
      const int bit = ButtonBit(mouse->button());
      if (bit == 0) return false;
      CapturedInput input;
      input.kind = CapturedInput::kMouseButton;
      input.down = event->type() == QEvent::MouseButtonPress;
      input.button = bit;
      input.timeMs = NowMs();
      const QPoint global = mouse->globalPosition().toPoint();
      input.x = global.x();
      input.y = global.y();
      // The click goes on to the window: the stop button must still work.
      sink_->OnCapturedInput(input);
      return false;
    }
    default:
      return false;
  }
}

}  // namespace orlo
