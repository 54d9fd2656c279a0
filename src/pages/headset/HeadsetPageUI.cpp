#include "pages/headset/HeadsetPageUI.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include "device/headset/TessaroRO6533Device.h"
#include "pages/common/QuietControls.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyBridge.h"

namespace orlo {
using ui::CNotifyBridge;

CHeadsetPageUI::CHeadsetPageUI(QWidget* parent) : CLightStripPageUI(parent) {}

CTessaroRO6533Device* CHeadsetPageUI::Headset() const { return dynamic_cast<CTessaroRO6533Device*>(Device()); }

void CHeadsetPageUI::ApplyProfileToPage() {
  CLightStripPageUI::ApplyProfileToPage();
  ShowVoice();
}

void CHeadsetPageUI::ShowVoice() {
  CTessaroRO6533Device* h = Headset();
  if (h == nullptr) return;
  auto child = [this](const QString& name) { return findChild<QWidget*>(name); };
  auto button = [this](const QString& name) { return findChild<QAbstractButton*>(name); };
  auto slider = [this](const QString& name) { return findChild<QSlider*>(name); };
  const bool chip = h->ChipAvailable();
  if (auto* label = findChild<QLabel*>(QStringLiteral("chip_state_label"))) {
    label->setText(chip ? QString()
                       : QString::fromStdString(ui::TextOf("headset_chip_unavailable_text") + h->ChipUnavailableReason()));
    label->setVisible(!chip);
  }
  for (const char* row : {"mic_row", "monitor_row", "eq_preset_row", "eq_band_row", "custom_eq_row", "magic_row"})
    if (QWidget* w = child(QString::fromLatin1(row))) w->setEnabled(chip);

  const HeadsetSystemSetStages s = h->Stages();
  const std::vector<int32_t> bands = h->Bands();
  SetCheckedQuietly(button(QStringLiteral("6533_MicIn_option")), s.micInSelect != 0);
  SetValueQuietly(slider(QStringLiteral("6533_MicIn_slider")), s.micInValue);
  SetCheckedQuietly(button(QStringLiteral("6533_MicMoniter_option")), s.micMonitorSelect != 0);
  SetValueQuietly(slider(QStringLiteral("6533_MicMoniter_slider")), s.micMonitorValue);
  for (int t = 1; t <= CTessaroRO6533Device::kCustomEqType; ++t)
    SetCheckedQuietly(button(QStringLiteral("6533_eq_option_%1").arg(t)), s.eqType == t);
  for (int b = 0; b < CTessaroRO6533Device::kBandCount; ++b)
    SetValueQuietly(slider(QStringLiteral("6533_eq_hz_slider_%1").arg(b)),
                 b < static_cast<int>(bands.size()) ? bands[static_cast<size_t>(b)] : 0);
  if (auto* names = findChild<QComboBox*>(QStringLiteral("custom_eq_name_combo"))) {
    CNotifyBridge::Mute mute(names);
    names->clear();
    for (const std::string& n : h->CustomEqNames()) names->addItem(QString::fromStdString(n));
    names->setCurrentIndex(s.customEqSelectIndex);
  }
  if (QWidget* custom = child(QStringLiteral("custom_eq_option_layout")))
    custom->setEnabled(s.eqType == CTessaroRO6533Device::kCustomEqType);
  SetCheckedQuietly(button(QStringLiteral("magic_enable_option")), s.magicEnable != 0);
  if (QWidget* types = child(QStringLiteral("magic_option_layout"))) types->setEnabled(chip && s.magicEnable != 0);
  for (int t = 1; t <= 4; ++t) SetCheckedQuietly(button(QStringLiteral("magic_option_%1").arg(t)), s.magicType == t);
}

void CHeadsetPageUI::PaintLeds() {
  CLightStripPageUI::PaintLeds();
  CTessaroRO6533Device* h = Headset();
  if (h == nullptr || !Built() || framePending_->exchange(true)) return;
  auto pending = framePending_;
  h->Session().Submit([h, pending] {
    h->SendLedFrame();
    pending->store(false);
  });
}

void CHeadsetPageUI::RunVoice(std::function<void(CTessaroRO6533Device&)> op) {
  CTessaroRO6533Device* h = Headset();
  if (h == nullptr) return;
  QPointer<CHeadsetPageUI> self(this);
  h->Session().Submit([this, self, h, op = std::move(op)] {
    op(*h);
    PostToUiThread([self] {
      if (self) self->ShowVoice();
    });
  });
}

void CHeadsetPageUI::RegisterRoutes(CRouteTable& routes) {
  CLightStripPageUI::RegisterRoutes(routes);
  using ui::TNotifyUI;
  namespace n = ui::notify;
  auto on = [](const TNotifyUI& msg) { return msg.wParam != 0; };
  auto value = [](const TNotifyUI& msg) { return static_cast<int>(msg.wParam); };
  routes.OnName(n::kValueChanged, "6533_MicIn_slider", [this, value](TNotifyUI& msg, long long) {
    RunVoice([v = value(msg)](CTessaroRO6533Device& h) { h.SetMicLevel(v); });
  });
  routes.OnName(n::kValueChanged, "6533_MicMoniter_slider", [this, value](TNotifyUI& msg, long long) {
    RunVoice([v = value(msg)](CTessaroRO6533Device& h) { h.SetMonitorLevel(v); });
  });
  routes.OnName(n::kSelectChanged, "6533_MicIn_option", [this, on](TNotifyUI& msg, long long) {
    RunVoice([v = on(msg)](CTessaroRO6533Device& h) { h.SetMicOn(v); });
  });
  routes.OnName(n::kSelectChanged, "6533_MicMoniter_option", [this, on](TNotifyUI& msg, long long) {
    RunVoice([v = on(msg)](CTessaroRO6533Device& h) { h.SetMonitorOn(v); });
  });
  routes.OnPrefix(n::kSelectChanged, "6533_eq_option_", [this, on](TNotifyUI& msg, long long i) {
    if (!on(msg)) return;
    RunVoice([t = static_cast<int>(i)](CTessaroRO6533Device& h) { h.ApplyEqPreset(t); });
  });
  routes.OnPrefix(n::kValueChanged, "6533_eq_hz_slider_", [this, value](TNotifyUI& msg, long long i) {
    RunVoice([b = static_cast<int>(i), v = value(msg)](CTessaroRO6533Device& h) { h.SetEqBand(b, v); });
  });
  routes.OnName(n::kItemSelect, "custom_eq_name_combo", [this, value](TNotifyUI& msg, long long) {
    RunVoice([s = value(msg)](CTessaroRO6533Device& h) { h.ApplyCustomEq(s); });
  });
  // Saving and deleting touch only the profile: they run here, so a refused name is told at once.
  routes.OnName(n::kClick, "hs_EQ_btn_save", [this](TNotifyUI&, long long) {
    CTessaroRO6533Device* h = Headset();
    if (h == nullptr) return;
    auto* edit = findChild<QLineEdit*>(QStringLiteral("custom_eq_name_edit"));
    const std::string name = edit != nullptr ? edit->text().trimmed().toStdString() : std::string();
    std::vector<int32_t> bands;
    for (int b = 0; b < CTessaroRO6533Device::kBandCount; ++b) {
      auto* s = findChild<QSlider*>(QStringLiteral("6533_eq_hz_slider_%1").arg(b));
      bands.push_back(s != nullptr ? s->value() : 0);
    }
    if (h->SaveCustomEq(name, bands) != 1) {
      Host().ShowMessage("message_text_5");
      return;
    }
    if (edit != nullptr) edit->clear();
    ShowVoice();
  });
  routes.OnName(n::kClick, "hs_EQ_btn_delete", [this](TNotifyUI&, long long) {
    if (CTessaroRO6533Device* h = Headset()) h->DeleteCustomEq();
    ShowVoice();
  });
  routes.OnName(n::kSelectChanged, "magic_enable_option", [this, on](TNotifyUI& msg, long long) {
    RunVoice([v = on(msg)](CTessaroRO6533Device& h) { h.SetVoiceChangerEnabled(v); });
  });
  routes.OnPrefix(n::kSelectChanged, "magic_option_", [this, on](TNotifyUI& msg, long long i) {
    if (!on(msg)) return;
    RunVoice([t = static_cast<int>(i)](CTessaroRO6533Device& h) { h.SelectVoiceChanger(t); });
  });
}

}  // namespace orlo
