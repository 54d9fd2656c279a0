#pragma once
// The profile control of a device page: the drop-down list of the device's profiles
// ("device_profile_combo"), the profile menu ("profile_menu_layout", laid over the page while
// open) with the name edit and the profile commands, and the page's row of function tabs.
//
// It is the view of the driver's profile list (CProfileList): every operation changes the list
// and its documents through it, under the driver's model lock, and then shows the result. The
// list's selection and the driver's active profile are the main window's business (the profile
// commands): adding, copying and importing never change the selection. Resetting a profile is
// the profile commands' too: it runs on the device's worker, after any commit still due.
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "profile/ProfileList.h"

class QComboBox;
class QLineEdit;
class QFrame;

namespace orlo {

class CTessaroUSBDevice;

class CDeviceProfileUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CDeviceProfileUI";
  static constexpr const char* kLayoutFile = "XML\\CustomControlXML\\DeviceProfile.xml";
  static constexpr const char* kItemName = "DeviceProfileItem";
  static constexpr int kFunctionTabs = 8;

  explicit CDeviceProfileUI(QWidget* parent = nullptr);

  // Registers the control with the control factory ("DeviceProfile").
  static void RegisterControl();

  // The driver whose profile list this control shows; its list must be open (OpenProfileList).
  void Bind(CTessaroUSBDevice* device);
  CTessaroUSBDevice* Device() const { return device_; }
  // Refills the list from the profile list document and selects its selection (no
  // notification); hides the function tabs the device kind does not have.
  void Init();

  // ---- selection -----------------------------------------------------------------------------
  // The list's current item, -1 when the list is empty.
  int GetSelectedIndex() const;
  // Selects item index (raising "itemselect" only with notify), shows its name in the edit and
  // stores it as the list's selection. False for an index outside the list.
  bool SelectProfile(int index, bool notify);
  std::string GetSelectedUUID() const;
  int GetProfileCount() const;
  // The names shown, in list order.
  std::vector<std::string> Names() const;

  // ---- commands on the list and its documents ------------------------------------------------
  // Index of the new entry, or -1 when nothing was added.
  int AddProfile();
  int CopyProfile();
  // Removes the selected profile (never the last one); the list selects its neighbour, which
  // becomes the selection. False when nothing was removed.
  bool DeleteProfile();
  CProfileList::ImportResult ImportProfile(const std::string& path);
  bool ExportProfile(const std::string& path);
  // 1 done, 0 name used by another profile, 2 name empty (CProfileList::RenameResult).
  int RenameProfile(const std::string& name);
  std::string GetNameEditText() const;
  void SetNameEditText(const std::string& text);

  // ---- menu, tabs and the recording lock ----------------------------------------------------
  void ShowProfileMenu(bool show);
  bool IsProfileMenuVisible() const;
  // Checks function tab n (1..8) and clears the other seven; any other n clears tabs 1..7.
  void SelectFunctionTab(int n);
  // While a macro recording runs the profile may not change: the list, the menu button and
  // the menu are disabled and the profile commands refuse.
  void SetRecordingLock(bool locked);
  bool IsRecordingLocked() const { return locked_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The page that holds the control (its tabs, and the menu's place), or the parent.
  QWidget* PageWidget() const;
  QWidget* Tab(int n) const;
  void Refill();
  // Runs one of the list's adding operations and shows the new entry; its index or -1.
  int AddEntry(const std::function<int(CProfileList&)>& add);
  void PlaceMenu();

  CTessaroUSBDevice* device_ = nullptr;
  QComboBox* combo_ = nullptr;
  QLineEdit* nameEdit_ = nullptr;
  QFrame* menu_ = nullptr;
  QWidget* menuButton_ = nullptr;
  bool locked_ = false;
};

}  // namespace orlo
