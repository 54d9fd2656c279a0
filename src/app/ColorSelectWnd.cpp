#include "app/ColorSelectWnd.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cstring>

#include "ui/ColorPaletteUI.h"
#include "platform/DebugLog.h"
#include "ui/NotifyBridge.h"
#include "ui/Selection.h"

namespace orlo {
namespace {

constexpr const char* kPresetPrefix = "color_option_";
constexpr const char* kCollectedPrefix = "collect_color_option_";
constexpr const char* kFieldNames[3] = {"color_edit_r", "color_edit_g", "color_edit_b"};
constexpr uint32_t kOpaque = 0xFF000000u;

// The index after prefix in name ("color_option_7" → 7), or -1.
int IndexAfter(const std::string& name, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (name.size() <= n || name.compare(0, n, prefix) != 0) return -1;
  int index = 0;
  for (size_t i = n; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9' || index >= ColourOptions::kCount) return -1;
    index = index * 10 + (name[i] - '0');
  }
  return index < ColourOptions::kCount ? index : -1;
}

QString Hex(uint32_t argb) { return QStringLiteral("#%1").arg(argb & 0xFFFFFFu, 6, 16, QLatin1Char('0')); }

QString SwatchSheet(uint32_t argb) { return QStringLiteral("QPushButton { background-color: %1; }").arg(Hex(argb)); }

// Seven colours: the preview shows a band of the colours the lighting runs through.
const QString& SevenColourSheet() {
  static const QString sheet = QStringLiteral(
      "QPushButton { background-color: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #FF0000, "
      "stop:0.17 #FF8000, stop:0.33 #FFFF00, stop:0.5 #00FF00, stop:0.67 #00FFFF, stop:0.83 #0000FF, "
      "stop:1 #8000FF); }");
  return sheet;
}

}  // namespace

CColorSelectWnd::CColorSelectWnd(QWidget* owner, CColourOptionFile file)
    : ui::CWindowUI(owner, Qt::Dialog | Qt::FramelessWindowHint), file_(std::move(file)) {
  setObjectName(QStringLiteral("colorselectwnd"));
}

void CColorSelectWnd::InitWindow() {
  palette_ = FindControl<ui::CColorPaletteUI>("Pallet");
  for (int channel = 0; channel < 3; ++channel) {
    if (QLineEdit* field = Field(channel)) {
      field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), field));
    }
  }
}

QAbstractButton* CColorSelectWnd::Preset(int index) const {
  return FindControl<QAbstractButton>(kPresetPrefix + std::to_string(index));
}

QAbstractButton* CColorSelectWnd::Collected(int index) const {
  return FindControl<QAbstractButton>(kCollectedPrefix + std::to_string(index));
}

QLineEdit* CColorSelectWnd::Field(int channel) const { return FindControl<QLineEdit>(kFieldNames[channel]); }

bool CColorSelectWnd::Open(uint32_t argb, bool offerSevenColour) {
  if (Root() == nullptr && !Create("colorselectwnd")) return false;
  options_ = file_.Load();
  ShowSwatches();
  if (QWidget* seven = FindControl("7color_layout")) seven->setVisible(offerSevenColour);
  SetCurrent(argb, Source::kOther);
  return true;
}

void CColorSelectWnd::ShowSwatches() {
  for (int i = 0; i < ColourOptions::kCount; ++i) {
    if (QAbstractButton* swatch = Preset(i)) swatch->setStyleSheet(SwatchSheet(options_.presets[i]));
    ShowCollected(i);
  }
  ui::SelectOption(Preset(options_.presetIndex), true, false);
  if (options_.collected[options_.collectedIndex].marked)
    ui::SelectOption(Collected(options_.collectedIndex), true, false);
}

void CColorSelectWnd::ShowCollected(int index) {
  QAbstractButton* swatch = Collected(index);
  if (swatch == nullptr) return;
  const CollectedColour& c = options_.collected[index];
  // An empty swatch cannot be selected: it holds nothing to choose.
  swatch->setCheckable(c.marked);
  swatch->setProperty("UserData", c.marked ? QStringLiteral("1") : QString());
  swatch->setText(c.marked ? QString() : QStringLiteral("+"));
  swatch->setStyleSheet(c.marked ? SwatchSheet(c.argb)
                                 : QStringLiteral("QPushButton { background-color: #FFFFFF; color: #5C6068; }"));
}

void CColorSelectWnd::SetCurrent(uint32_t argb, Source source) {
  colour_ = argb | kOpaque;
  if (source != Source::kPalette && palette_) palette_->SetSelectColor(colour_);
  if (source != Source::kFields) {
    for (int channel = 0; channel < 3; ++channel) {
      if (QLineEdit* field = Field(channel)) field->setText(QString::number(colour_ >> (16 - 8 * channel) & 0xFF));
    }
  }
  ShowPreview();
}

void CColorSelectWnd::ShowPreview() {
  QWidget* preview = FindControl("color_show_btn");
  if (preview == nullptr) return;
  preview->setStyleSheet(sevenColour_ ? SevenColourSheet() : SwatchSheet(colour_));
}

void CColorSelectWnd::OnPresetChosen(int index) {
  options_.presetIndex = index;
  SetCurrent(options_.presets[index], Source::kOther);
  Save();
}

void CColorSelectWnd::OnCollectedClicked(int index) {
  auto* collect = FindControl<QAbstractButton>("7color_collect");
  CollectedColour& c = options_.collected[index];
  if (collect != nullptr && collect->isChecked()) {
    c.argb = colour_;
    c.marked = true;
    ShowCollected(index);
    ui::SelectOption(collect, false, false);
  } else if (c.marked) {
    SetCurrent(c.argb, Source::kOther);
  } else {
    return;
  }
  options_.collectedIndex = index;
  ui::SelectOption(Collected(index), true, false);
  Save();
}

void CColorSelectWnd::OnFieldsEdited(bool tidy) {
  uint32_t rgb = 0;
  for (int channel = 0; channel < 3; ++channel) {
    QLineEdit* field = Field(channel);
    const int value = field != nullptr ? std::min(field->text().toInt(), 255) : 0;  // "" reads 0
    if (field != nullptr && (value == 255 || tidy) && field->text() != QString::number(value))
      field->setText(QString::number(value));
    rgb = rgb << 8 | static_cast<uint32_t>(value);
  }
  SetCurrent(rgb, Source::kFields);
}

void CColorSelectWnd::Save() {
  if (!file_.Save(options_)) DebugLine("colour picker: the colour file was not written");
}

void CColorSelectWnd::Notify(ui::TNotifyUI& msg) {
  const std::string& name = msg.sSenderName;
  if (msg.sType == ui::notify::kClick) {
    if (name == "okbtn") {
      Close(palette_ ? 1 : 0);
    } else if (name == "closebtn" || name == "laterbtn") {
      Close(0);
    } else if (const int index = IndexAfter(name, kCollectedPrefix); index >= 0) {
      OnCollectedClicked(index);
    }
  } else if (msg.sType == ui::notify::kSelectChanged) {
    if (name == "7color") {
      sevenColour_ = msg.wParam != 0;
      ShowPreview();
    } else if (const int index = IndexAfter(name, kPresetPrefix); index >= 0 && msg.wParam != 0) {
      OnPresetChosen(index);
    }
  } else if (msg.sType == ui::notify::kColorChanged) {
    if (name == "Pallet") SetCurrent(static_cast<uint32_t>(msg.wParam), Source::kPalette);
  } else if (msg.sType == ui::notify::kTextChanged || msg.sType == ui::notify::kKillFocus) {
    if (std::find(std::begin(kFieldNames), std::end(kFieldNames), name) != std::end(kFieldNames))
      OnFieldsEdited(msg.sType == ui::notify::kKillFocus);
  }
}

void CColorSelectWnd::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Close(0);
    return;
  }
  ui::CWindowUI::keyPressEvent(event);
}

std::optional<uint32_t> CColorSelectWnd::Pick(QWidget* owner, uint32_t initial, const CColourOptionFile& file,
                                              const Runner& run) {
  QPointer<CColorSelectWnd> wnd = new CColorSelectWnd(owner, file);
  if (!wnd->Open(initial)) {
    DebugLine("colour picker: layout missing");
    delete wnd.data();
    return std::nullopt;
  }
  wnd->adjustSize();
  wnd->CenterWindow();
  const int result = run ? run(*wnd) : wnd->ShowModal();
  // The owner may have taken the window along while it was up.
  if (!wnd) return std::nullopt;
  const uint32_t colour = wnd->Colour();
  delete wnd.data();
  if (result != 1) return std::nullopt;
  return colour;
}

}  // namespace orlo
