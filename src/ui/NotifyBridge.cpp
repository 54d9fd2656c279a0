#include "ui/NotifyBridge.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QChildEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QThread>
#include <QContextMenuEvent>
#include <QEvent>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QSet>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>

#include "platform/DebugLog.h"
#include "ui/WindowUI.h"

namespace orlo::ui {
namespace {

constexpr const char* kBridgedProperty = "orloBridged";
constexpr const char* kPreviousIndexProperty = "orloPreviousIndex";

QSet<const QWidget*>& MutedSenders() {
  static QSet<const QWidget*> muted;
  return muted;
}

// Qt's own helper children (a spin box's line edit, a scroll area's viewport, a combo's popup)
// are not controls.
bool IsInternal(const QWidget* w) {
  if (w->objectName().startsWith(QLatin1String("qt_"))) return true;
  for (const QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
    if (qobject_cast<const QComboBox*>(p) != nullptr || qobject_cast<const QAbstractSpinBox*>(p) != nullptr) {
      return true;
    }
  }
  return false;
}

// Pointer events a control ignores are passed on to its parents; the parent whose child lies
// under the pointer is not the one the event was meant for.
bool IsInnermost(const QWidget* w, const QPoint& at) {
  const QWidget* child = w->childAt(at);
  return child == nullptr || IsInternal(child);
}

}  // namespace

CNotifyBridge& CNotifyBridge::Instance() {
  static CNotifyBridge* bridge = new CNotifyBridge;  // lives as long as the process
  return *bridge;
}

bool CNotifyBridge::SendNotify(QWidget* sender, const std::string& type, std::int64_t wParam,
                               std::int64_t lParam) {
  // Widgets belong to the UI thread; a worker must post its work there instead.
  const QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() != app->thread()) {
    DebugLine("notification from a worker thread dropped: " + type);
    return false;
  }
  if (sender != nullptr && MutedSenders().contains(sender)) return false;
  CWindowUI* owner = CWindowUI::OwnerOf(sender);
  if (owner == nullptr) return false;
  TNotifyUI msg;
  msg.sType = type;
  msg.pSender = sender;
  msg.sSenderName = sender != nullptr ? sender->objectName().toStdString() : std::string();
  msg.wParam = wParam;
  msg.lParam = lParam;
  owner->Dispatch(msg);
  return true;
}

CNotifyBridge::Mute::Mute(QWidget* sender) : sender_(sender) {
  if (sender == nullptr) return;
  wasMuted_ = MutedSenders().contains(sender);
  MutedSenders().insert(sender);
}

CNotifyBridge::Mute::~Mute() {
  // By address: the widget may be gone already, and its entry must not outlive this scope.
  if (sender_ != nullptr && !wasMuted_) MutedSenders().remove(sender_);
}

void CNotifyBridge::Attach(QWidget* tree) {
  if (tree == nullptr) return;
  AttachOne(tree);
  const auto children = tree->findChildren<QWidget*>();
  for (QWidget* child : children) AttachOne(child);
}

void CNotifyBridge::AttachOne(QWidget* w) {
  if (IsInternal(w) || w->property(kBridgedProperty).toBool()) return;
  w->setProperty(kBridgedProperty, true);
  w->installEventFilter(this);
  // A deleted widget must not linger in the mute set (its address may be reused).
  connect(w, &QObject::destroyed, this, [w] { MutedSenders().remove(w); });

  if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    connect(button, &QAbstractButton::clicked, button, [button] { SendNotify(button, notify::kClick); });
    connect(button, &QAbstractButton::toggled, button, [button](bool on) {
      SendNotify(button, notify::kSelectChanged, on ? 1 : 0);
    });
  } else if (auto* slider = qobject_cast<QAbstractSlider*>(w)) {
    // Dragging reports "movevaluechanged"; the value counts as changed when the drag ends.
    connect(slider, &QAbstractSlider::valueChanged, slider, [slider](int v) {
      if (!slider->isSliderDown()) SendNotify(slider, notify::kValueChanged, v);
    });
    connect(slider, &QAbstractSlider::sliderMoved, slider,
            [slider](int v) { SendNotify(slider, notify::kMoveValueChanged, v); });
    connect(slider, &QAbstractSlider::sliderReleased, slider,
            [slider] { SendNotify(slider, notify::kValueChanged, slider->value()); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    // Only the user's edits: a program setting the text must not loop back into routing.
    connect(edit, &QLineEdit::textEdited, edit, [edit] { SendNotify(edit, notify::kTextChanged); });
    connect(edit, &QLineEdit::returnPressed, edit, [edit] { SendNotify(edit, notify::kReturn); });
  } else if (auto* spin = qobject_cast<QSpinBox*>(w)) {
    connect(spin, &QSpinBox::valueChanged, spin,
            [spin](int v) { SendNotify(spin, notify::kTextChanged, v); });
    connect(spin, &QAbstractSpinBox::editingFinished, spin,
            [spin] { if (spin->hasFocus()) SendNotify(spin, notify::kReturn, spin->value()); });
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    combo->setProperty(kPreviousIndexProperty, combo->currentIndex());
    connect(combo, &QComboBox::currentIndexChanged, combo, [combo](int index) {
      const int previous = combo->property(kPreviousIndexProperty).toInt();
      combo->setProperty(kPreviousIndexProperty, index);
      SendNotify(combo, notify::kItemSelect, index, previous);
    });
  } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
    connect(view, &QAbstractItemView::clicked, view,
            [view](const QModelIndex& i) { SendNotify(view, notify::kItemClick, i.row()); });
    connect(view, &QAbstractItemView::activated, view,
            [view](const QModelIndex& i) { SendNotify(view, notify::kItemActivate, i.row()); });
    if (QItemSelectionModel* model = view->selectionModel()) {
      connect(model, &QItemSelectionModel::currentRowChanged, view,
              [view](const QModelIndex& now, const QModelIndex& before) {
                SendNotify(view, notify::kItemSelect, now.row(), before.row());
              });
    }
  } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
    connect(rich, &QTextEdit::textChanged, rich, [rich] { SendNotify(rich, notify::kTextChanged); });
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
    connect(plain, &QPlainTextEdit::textChanged, plain,
            [plain] { SendNotify(plain, notify::kTextChanged); });
  }

  // Colour controls announce themselves with a colorChanged(QColor) signal.
  const int signalIndex = w->metaObject()->indexOfSignal("colorChanged(QColor)");
  if (signalIndex >= 0) {
    const QMetaMethod signal = w->metaObject()->method(signalIndex);
    const int slotIndex = metaObject()->indexOfSlot("OnColorChanged(QColor)");
    connect(w, signal, this, metaObject()->method(slotIndex));
  }
}

void CNotifyBridge::OnColorChanged(const QColor& colour) {
  if (auto* w = qobject_cast<QWidget*>(sender())) {
    SendNotify(w, notify::kColorChanged, static_cast<std::int64_t>(colour.rgba()));
  }
}

bool CNotifyBridge::eventFilter(QObject* watched, QEvent* event) {
  auto* w = qobject_cast<QWidget*>(watched);
  if (w == nullptr) return false;
  switch (event->type()) {
    case QEvent::ChildAdded: {
      // The child is not fully constructed yet; attach once control returns to the loop.
      QPointer<QObject> child = static_cast<QChildEvent*>(event)->child();
      QTimer::singleShot(0, this, [this, child] {
        if (auto* cw = qobject_cast<QWidget*>(child.data())) Attach(cw);
      });
      break;
    }
    case QEvent::MouseButtonDblClick: {
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (w->isEnabled() && IsInnermost(w, at) && !w->property(kOwnDbClickProperty).toBool()) {
        SendNotify(w, notify::kDbClick);
      }
      break;
    }
    case QEvent::Enter:
      SendNotify(w, notify::kMouseEnter);
      break;
    case QEvent::Leave:
      SendNotify(w, notify::kMouseLeave);
      break;
    case QEvent::FocusIn:
      SendNotify(w, notify::kSetFocus);
      break;
    case QEvent::FocusOut:
      SendNotify(w, notify::kKillFocus);
      break;
    case QEvent::ContextMenu: {
      // An ignored event climbs to the parents; only the control it was meant for reports.
      auto* menu = static_cast<QContextMenuEvent*>(event);
      const bool mine = menu->reason() == QContextMenuEvent::Mouse ? IsInnermost(w, menu->pos())
                                                                    : w->hasFocus();
      if (mine) SendNotify(w, notify::kMenu, menu->globalPos().x(), menu->globalPos().y());
      break;
    }
    default:
      break;
  }
  return false;
}

}  // namespace orlo::ui
