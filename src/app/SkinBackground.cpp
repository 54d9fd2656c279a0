#include "app/SkinBackground.h"

#include "ui/ResourceManager.h"

namespace orlo {

namespace {
// The areas above the root are transparent under a skin, so that it shows through.
constexpr const char* kSeeThrough = "\n#device_switch, #No_device_Link { background: transparent; }\n";

QString CssString(const QString& text) {
  QString quoted = text;
  quoted.replace('\\', "\\\\").replace('"', "\\\"").replace('\n', ' ');
  return '"' + quoted + '"';
}
}  // namespace

CSkinBackground::CSkinBackground(QWidget* root) : root_(root) {
  if (root_) baseSheet_ = root_->styleSheet();
  CSkinBroadcaster::GetInstance().AddReceiver(this);
}

CSkinBackground::~CSkinBackground() { CSkinBroadcaster::GetInstance().RemoveReceiver(this); }

void CSkinBackground::Receive(const SkinChangedParam& param) {
  if (!root_) return;
  QString rule;
  if (param.isColour) {
    const uint32_t c = param.colour;
    shown_ = QString("#%1").arg(c, 8, 16, QChar('0')).toUpper();
    rule = QString("\n#%1 { border-image: none; background: rgba(%2, %3, %4, %5); }")
               .arg(root_->objectName())
               .arg((c >> 16) & 0xFF)
               .arg((c >> 8) & 0xFF)
               .arg(c & 0xFF)
               .arg((c >> 24) & 0xFF);
  } else {
    shown_ = QString::fromStdString(ui::CResourceManager::GetInstance().ResolveFile(param.image));
    rule = QString("\n#%1 { border-image: url(%2) 0 0 0 0 stretch stretch; }")
               .arg(root_->objectName(), CssString(shown_));
  }
  root_->setStyleSheet(baseSheet_ + rule + kSeeThrough);
}

}  // namespace orlo
