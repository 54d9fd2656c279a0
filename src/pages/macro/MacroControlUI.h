#pragma once
// The macro page of a mouse or keyboard: the device's macro list, the event rows of the selected
// macro with their delays, the row commands, recording, import and export, and the download of
// the macros and the key table to the device. The page builds its own controls (names as the
// routes know them) and lives in the device page's layout as "CMacroControlUI".
//
// The page keeps the open macro as rows: each row holds its event as JSON and shows its delay in
// an edit; saving writes the rows back, an event this version cannot show included. Recording
// runs through CDeviceHook on an input source (by default the window's own input); it ends, and
// the keyboard grab with it, when the window loses the focus, the device goes or the page is
// left.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "macro/MacroCatalogue.h"
#include "macro/capture/DeviceHook.h"
#include "macro/capture/MacroRecorder.h"
#include "pages/common/PageHost.h"
#include "pages/common/RouteTable.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTimer;

namespace orlo {

class CTessaroUSBDevice;
class IMacroDevice;

class CMacroControlUI : public QWidget, private IMacroRowEditor, private ICaptureSink {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CMacroControlUI";
  // While recording, the device is checked this often; a device gone ends the recording.
  static constexpr int kDeviceWatchMs = 250;

  static void RegisterControl();

  explicit CMacroControlUI(QWidget* parent = nullptr);
  ~CMacroControlUI() override;

  // The device whose macros the page edits (null: none). A recording in progress ends.
  void SetDevice(CTessaroUSBDevice* device);
  CTessaroUSBDevice* Device() const { return device_; }
  CMacroCatalogue& Catalogue() { return catalogue_; }

  // The sources recording may use: the window's own input (always), and a system-wide one when
  // present (offered by the "macro_check_systemwide" box).
  void SetWindowSource(IInputCapture* source);
  void SetSystemSource(IInputCapture* source);
  IInputCapture* ActiveSource() const;

  // ---- catalogue and macros ------------------------------------------------------------------
  void LoadCatalogue();
  int SelectedMacro() const;
  void SelectMacro(int index);
  std::vector<std::string> MacroNames() const;
  void ShowMacro();
  void NewMacro();
  void RenameMacro(IPageHost& host);
  void DeleteMacro(IPageHost& host);
  bool SaveMacro();
  void ImportMacro(IPageHost& host);
  void ExportMacro(IPageHost& host);
  void Download(IPageHost& host);

  // ---- rows ------------------------------------------------------------------------------------
  enum class Move { kUp, kDown, kTop, kBottom };
  void MoveRow(Move move);
  void DeleteRow();
  void DeleteAllRows();
  // Mouse button commands of the row menu ("left_down", "back_click", ...); false for others.
  bool RunButtonCommand(const std::string& command);
  // Pointer moves: 0 left, 1 right, 2 up, 3 down, distance from the matching edit.
  void InsertMove(int variant);
  int RowCount() const override;
  int SelectedRow() const override;
  void SelectRow(int row) override;
  Json::Value RowEvent(int row) const override;
  int RowDelay(int row) const override;
  std::string RowName(int row) const;

  // ---- recording -------------------------------------------------------------------------------
  // captureMode: kCaptureAppend, kCaptureBefore, kCaptureAfter or kCaptureReplace; delayMode as
  // CMacroRecorder. The keyboard is grabbed until StopRecording.
  void StartRecording(int captureMode, int delayMode);
  // Ends a recording and saves the macro; nothing when none runs.
  void StopRecording();
  bool IsRecording() const { return recorder_.Recording(); }
  CDeviceHook& Hook() { return hook_; }
  // The row menu of a double-clicked row (its items call RunMenuItem).
  void OpenRowMenu();
  void RunMenuItem(const std::string& item);

  // Registers the page's routes in the table of the device page that holds it. `page` finds
  // the macro page at dispatch time, `host` gives the window while a route runs.
  static void RegisterRoutes(CRouteTable& routes, std::function<CMacroControlUI*()> page,
                             std::function<IPageHost&()> host);

 protected:
  void hideEvent(QHideEvent* event) override;
  // While recording: the window losing the focus ends it, whatever the source.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Build();
  void UpdateEnabledState();
  // A macro was added at the end of the catalogue: list it, select it, tell the device.
  void ShowAddedMacro();
  void ShowRecordingLook(bool recording);
  void SetSelectionEnabled(bool enabled);
  IMacroDevice* MacroDevice() const;
  // Rows.
  void InsertRow(int at, const Json::Value& event) override;
  void SetRowEvent(int row, const Json::Value& event) override;
  void SetRowDelay(int row, int delay) override;
  void ScrollToSelection() override;
  void FillRow(QWidget* row, const Json::Value& event);
  QWidget* RowWidget(int row) const;
  // ICaptureSink.
  void OnCapturedInput(const CapturedInput& input) override;
  void OnCaptureLost() override;
  int ReadConstantDelay();

  CTessaroUSBDevice* device_ = nullptr;
  CMacroCatalogue catalogue_;
  CDeviceHook hook_;
  CMacroRecorder recorder_;
  std::unique_ptr<IInputCapture> ownWindowSource_;
  std::unique_ptr<IInputCapture> ownSystemSource_;
  IInputCapture* windowSource_ = nullptr;
  IInputCapture* systemSource_ = nullptr;
  // The open macro's file could not be shown whole (more than 4000 events): saving is refused so
  // that it is not cut.
  bool locked_ = false;

  QListWidget* names_ = nullptr;
  QListWidget* rows_ = nullptr;
  QWidget* nameTab_ = nullptr;
  QWidget* actionLayout_ = nullptr;
  QWidget* moveLayout_ = nullptr;
  QAbstractButton* start_ = nullptr;
  QAbstractButton* stop_ = nullptr;
  QCheckBox* constantCheck_ = nullptr;
  QCheckBox* systemCheck_ = nullptr;
  QLineEdit* constantEdit_ = nullptr;
  QLineEdit* nameEdit_ = nullptr;
  QLabel* status_ = nullptr;
  QTimer* deviceWatch_ = nullptr;
  QPointer<QWidget> watchedWindow_;
};

}  // namespace orlo
