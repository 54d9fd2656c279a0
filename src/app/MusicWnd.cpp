#include "app/MusicWnd.h"

#include <QColor>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>

#include "ui/DpiManager.h"
#include "ui/LanguageStore.h"

namespace orlo {

namespace {

constexpr const char* kOptionPrefix = "audio_select_tab";
constexpr const char* kNamePrefix = "audio_edit_name";
constexpr const char* kSliderNames[] = {"audio_r_slider", "audio_g_slider", "audio_b_slider"};
constexpr int kSteps = 9;

// The number after `prefix` in `name` when it is 1 to 4, else 0.
size_t FamilyIndex(const std::string& name, const char* prefix) {
  const std::string p = prefix;
  if (name.size() != p.size() + 1 || name.compare(0, p.size(), p) != 0) return 0;
  const char digit = name.back();
  return digit >= '1' && digit <= '4' ? static_cast<size_t>(digit - '0') : 0;
}

uint8_t& Component(MusicStyleColour& c, size_t which) { return which == 0 ? c.red : which == 1 ? c.green : c.blue; }

}  // namespace

CMusicWnd::CMusicWnd(QWidget* owner) : CWindowUI(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::Tool) {
  setObjectName(QStringLiteral("musicwnd"));
}

const char* CMusicWnd::StoredDefaultName(size_t n) {
  static constexpr const char* kNames[] = {"第一组", "第二组", "第三组", "第四组"};
  return kNames[n < MusicStyleSettings::kStyles ? n : 0];
}

std::string CMusicWnd::DefaultNameId(size_t n) { return "music_style_name_" + std::to_string(n + 1); }

void CMusicWnd::InitWindow() {
  closeButton_ = FindControl("closebtn");
  for (size_t n = 0; n < MusicStyleSettings::kStyles; ++n) {
    options_[n] = FindControl<QRadioButton>(kOptionPrefix + std::to_string(n + 1));
    names_[n] = FindControl<QLineEdit>(kNamePrefix + std::to_string(n + 1));
  }
  for (size_t c = 0; c < sliders_.size(); ++c) sliders_[c] = FindControl<QSlider>(kSliderNames[c]);
}

void CMusicWnd::SetDpi(int dpi) {
  dpi_ = ui::CDpiManager::Checked(dpi, "SET_WND DPI SET ERROR");
  if (Root() == nullptr) return;
  ui::CDpiManager::SetAllDPI(dpi_);
  ui::CDpiManager::ApplyTo(this);
}

bool CMusicWnd::Prepare() {
  if (Root() == nullptr && !Create("  ")) return false;
  SetDpi(dpi_);
  return true;
}

int CMusicWnd::Run() {
  if (!Prepare()) return 0;
  adjustSize();
  CenterWindow();
  return ShowModal();
}

QString CMusicWnd::ShownName(size_t n) const {
  const std::string& name = settings_.names[n];
  if (name == StoredDefaultName(n)) return QString::fromStdString(ui::TextOf(DefaultNameId(n)));
  return QString::fromStdString(name);
}

void CMusicWnd::OnWindowInit() {
  showing_ = true;
  for (QSlider* s : sliders_) {
    if (s) s->setRange(0, kSteps);
  }
  if (settings_.style < MusicStyleSettings::kStyles) {
    if (QRadioButton* option = options_[settings_.style]) option->setChecked(true);
    ShowStyleColour(settings_.style);
  }
  for (size_t n = 0; n < MusicStyleSettings::kStyles; ++n) {
    // A style always has a name.
    if (settings_.names[n].empty()) settings_.names[n] = StoredDefaultName(n);
    if (names_[n]) names_[n]->setText(ShownName(n));
  }
  showing_ = false;
}

void CMusicWnd::OnLanguageChanged() {
  for (size_t n = 0; n < MusicStyleSettings::kStyles; ++n) {
    if (names_[n] && settings_.names[n] == StoredDefaultName(n)) names_[n]->setText(ShownName(n));
  }
}

void CMusicWnd::ShowStyleColour(size_t n) {
  const bool wasShowing = showing_;
  showing_ = true;
  MusicStyleColour& c = settings_.colours[n];
  for (size_t k = 0; k < sliders_.size(); ++k) {
    if (sliders_[k]) sliders_[k]->setValue(Component(c, k));
  }
  showing_ = wasShowing;
  ShowSwatch(n);
}

void CMusicWnd::ShowSwatch(size_t n) {
  QWidget* swatch = FindControl("audio_colour_swatch");
  if (swatch == nullptr) return;
  const MusicStyleColour& c = settings_.colours[n];
  auto level = [](uint8_t step) { return std::min<int>(step, kSteps) * 255 / kSteps; };
  swatch->setStyleSheet(QStringLiteral("background-color: %1;")
                            .arg(QColor(level(c.red), level(c.green), level(c.blue)).name()));
}

size_t CMusicWnd::SelectedStyle() const {
  for (size_t n = 0; n < options_.size(); ++n) {
    if (options_[n] && options_[n]->isChecked()) return n;
  }
  return 0;
}

void CMusicWnd::TakeName(size_t n) {
  QLineEdit* edit = names_[n];
  if (edit == nullptr) return;
  const QString text = edit->text().trimmed();
  const QString shownDefault = QString::fromStdString(ui::TextOf(DefaultNameId(n)));
  if (text.isEmpty() || text == shownDefault) {
    settings_.names[n] = StoredDefaultName(n);
    edit->setText(shownDefault);
  } else {
    settings_.names[n] = text.toStdString();
  }
}

void CMusicWnd::Notify(ui::TNotifyUI& msg) {
  if (msg.sType == ui::notify::kWindowInit) {
    OnWindowInit();
  } else if (msg.sType == ui::notify::kSelectChanged) {
    if (const size_t n = FamilyIndex(msg.sSenderName, kOptionPrefix); n != 0 && msg.wParam != 0) {
      settings_.style = static_cast<uint8_t>(n - 1);
      ShowStyleColour(n - 1);
    }
  } else if (msg.sType == ui::notify::kValueChanged) {
    if (showing_) return;
    for (size_t k = 0; k < sliders_.size(); ++k) {
      if (msg.sSenderName != kSliderNames[k]) continue;
      const size_t style = SelectedStyle();
      Component(settings_.colours[style], k) = static_cast<uint8_t>(std::clamp<int64_t>(msg.wParam, 0, kSteps));
      ShowSwatch(style);
    }
  } else if (msg.sType == ui::notify::kKillFocus) {
    if (const size_t n = FamilyIndex(msg.sSenderName, kNamePrefix); n != 0) TakeName(n - 1);
  } else if (msg.sType == ui::notify::kClick) {
    if (msg.pSender != nullptr && msg.pSender == closeButton_) {
      Close(0);
    } else if (msg.sSenderName == "okbtn") {
      // A name still being typed counts as well.
      for (size_t n = 0; n < MusicStyleSettings::kStyles; ++n) TakeName(n);
      Close(1);
    }
  }
}

}  // namespace orlo
