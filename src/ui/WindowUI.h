#pragma once
// Base of every window: owns a widget tree built from a layout file, receives the tree's
// notifications in Notify, finds controls by name, runs per-control timers and can run modally.
#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "ui/NotifyUI.h"

class QEventLoop;

namespace orlo::ui {

class IDialogBuilderCallback;

class CWindowUI : public QWidget, public INotifyUI {
  Q_OBJECT
 public:
  explicit CWindowUI(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
  ~CWindowUI() override;

  virtual std::string GetWindowClassName() const { return "WindowUI"; }
  // Layout file or resource id ("XML_MSG", "XML\\CustomControlXML\\DeviceOption.xml").
  virtual std::string GetSkinFile() const { return {}; }
  // Called once the layout is built and attached, before the window is shown.
  virtual void InitWindow() {}
  void Notify(TNotifyUI& msg) override;

  // Builds GetSkinFile() into this window (also done by Create). False when the layout is
  // missing or names a control class nobody can create.
  bool BuildLayout(IDialogBuilderCallback* callback = nullptr);
  // Builds the layout, sets the window title, runs InitWindow. Returns false on a layout error.
  bool Create(const std::string& windowName = {}, IDialogBuilderCallback* callback = nullptr);
  QWidget* Root() const { return root_; }

  QWidget* FindControl(const std::string& name) const;
  template <class T>
  T* FindControl(const std::string& name) const {
    return qobject_cast<T*>(FindControl(name));
  }

  // Per-control timers: repeat until killed; arrive as "timer" with the id in wParam.
  void SetTimer(QWidget* control, int id, int ms);
  void KillTimer(QWidget* control, int id);
  void KillTimer(QWidget* control);

  bool SendNotify(QWidget* sender, const std::string& type, std::int64_t wParam = 0,
                  std::int64_t lParam = 0);
  // Extra listeners (pages that are not windows) see every notification after Notify.
  void AddNotifier(INotifyUI* notifier);
  void RemoveNotifier(INotifyUI* notifier);
  // Delivers to Notify and the extra listeners; used by the bridge.
  void Dispatch(TNotifyUI& msg);

  // Runs the window modally until Close; returns the close result.
  int ShowModal();
  // Closes the window (closeEvent runs) with `result`; any other way of closing gives 0.
  void Close(int result = 0);
  int Result() const { return result_; }
  void CenterWindow();

  // The window that owns a control: the nearest CWindowUI ancestor (the control itself included).
  static CWindowUI* OwnerOf(const QWidget* control);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QWidget* root_ = nullptr;
  std::vector<INotifyUI*> notifiers_;
  bool windowInitSent_ = false;
  bool closing_ = false;  // inside Close: keep its result
  int result_ = 0;
  QPointer<QEventLoop> modalLoop_;
};

// Lookup under a parent; null for an absent or empty name.
QWidget* FindSubControlByName(const QWidget* parent, const std::string& name);

}  // namespace orlo::ui
