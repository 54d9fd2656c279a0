#pragma once
// The shoot page of the mouse: the recoil-compensation patterns of four guns, edited one bullet
// at a time, each gun kept as a file of its own in the mouse's folder (see GunPattern.h), reset
// from the program's default data, imported, exported, and sent to the mouse by the mouse driver
// (all four guns in one shooting block).
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "pages/shoot/GunPattern.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace orlo {

class CRouteTable;
class CTessaroMouseDevice;
class CShootPatternViewUI;
class IPageHost;

class CShootControlUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CShootControlUI";
  static constexpr const char* kLayoutFile = "XML\\CustomControlXML\\ShootControl.xml";
  static constexpr const char* kItemName = "ShootControlItem";
  static constexpr const char* kFilter = "Shoot Files(*.shoot)";

  explicit CShootControlUI(QWidget* parent = nullptr);
  static void RegisterControl();

  // The mouse's folder (the gun files) and the program's default data folder.
  void SetFolders(const std::string& userFolder, const std::string& defaultFolder);
  // Finds the controls; a gun whose file is no JSON document gets the default pattern.
  void InitPage();
  void SelectGun(int index);
  void SelectBullet(int index);
  void PreviousBullet() { SelectBullet(currentBullet_ - 1); }
  void NextBullet() { SelectBullet(currentBullet_ + 1); }
  // Fills the editors from the current bullet of the current gun's file.
  void LoadBullet();
  // Writes the editors and the two checks as the current bullet and saves the file.
  void SaveBullet();
  void UpdateXLabel();
  void UpdateYLabel();
  // Copies path byte for byte over the current gun's file; refused (false) for a file that is
  // no gun pattern. An empty path does nothing.
  bool ImportGun(const std::string& path);
  bool ExportGun(const std::string& path);
  // The gun's file back to the program's default pattern.
  bool ResetGun(int gun);

  int CurrentGun() const { return currentGun_; }
  int CurrentBullet() const { return currentBullet_; }
  std::string GunPath(int gun) const;
  shoot::Bullet Bullet(int gun, int bullet) const;

  // The page's routes; mouse() gives the page's mouse, host() the window while a route runs.
  void RegisterRoutes(CRouteTable& routes, std::function<CTessaroMouseDevice*()> mouse,
                      std::function<IPageHost&()> host);

 private:
  void ShowPattern();

  std::string userFolder_;
  std::string defaultFolder_;
  int currentGun_ = 0;
  int currentBullet_ = -1;
  bool found_ = false;
  std::array<QAbstractButton*, shoot::kGunCount> guns_{};
  std::array<QAbstractButton*, shoot::kBulletCount> bullets_{};
  std::array<CShootPatternViewUI*, shoot::kGunCount> views_{};
  QStackedWidget* pictures_ = nullptr;
  QLabel* index_ = nullptr;
  QAbstractButton* xCheck_ = nullptr;
  QAbstractButton* yCheck_ = nullptr;
  QLineEdit* xEdit_ = nullptr;
  QLineEdit* yEdit_ = nullptr;
  QLineEdit* delayEdit_ = nullptr;
};

}  // namespace orlo
