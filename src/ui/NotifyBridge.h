#pragma once
// Turns the signals and events of a widget tree into TNotifyUI notifications delivered to the
// window that owns the sender (the nearest ancestor that is a CWindowUI). Attaching is
// idempotent, and widgets added to an attached tree later are attached on their own.
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <string>

class QColor;
class QWidget;

namespace orlo::ui {

class CNotifyBridge : public QObject {
  Q_OBJECT
 public:
  static CNotifyBridge& Instance();

  // Connects every widget of the tree (Qt's internal "qt_" children excepted).
  void Attach(QWidget* tree);

  // Raises a notification from `sender` to its owning window; false when no window owns it or
  // the sender is muted. The window's Notify runs synchronously.
  static bool SendNotify(QWidget* sender, const std::string& type, std::int64_t wParam = 0,
                         std::int64_t lParam = 0);

  // While alive, notifications from `sender` are dropped (selection without notification).
  class Mute {
   public:
    explicit Mute(QWidget* sender);
    ~Mute();
    Mute(const Mute&) = delete;
    Mute& operator=(const Mute&) = delete;

   private:
    const QWidget* sender_;
    bool wasMuted_ = false;
  };

  // A widget that raises "dbclick" itself sets this dynamic property so the bridge does not.
  static constexpr const char* kOwnDbClickProperty = "orloOwnDbClick";

 private slots:
  void OnColorChanged(const QColor& colour);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CNotifyBridge() = default;
  void AttachOne(QWidget* w);
};

}  // namespace orlo::ui
