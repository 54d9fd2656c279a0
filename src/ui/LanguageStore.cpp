#include "ui/LanguageStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "ui/LanguageFile.h"
#include "ui/ResourceManager.h"

namespace orlo::ui {

CLanguageStore& CLanguageStore::GetInstance() {
  static CLanguageStore store;
  return store;
}

bool CLanguageStore::LoadLanguage(const std::string& file) {
  std::string path = NormaliseSeparators(file);
  if (path.empty()) return false;
  if (path.front() != '/') path = CResourceManager::GetInstance().ResolveFile("lang/" + path);
  QFile in(QString::fromStdString(path));
  if (!in.open(QIODevice::ReadOnly)) return false;
  return LoadFromString(in.readAll().toStdString());
}

bool CLanguageStore::LoadFromString(const std::string& xmlText) {
  auto texts = ParseLanguageFile(xmlText);
  if (!texts) return false;
  texts_ = std::move(*texts);
  return true;
}

bool CLanguageStore::Has(const std::string& id) const { return texts_.count(id) != 0; }

std::string CLanguageStore::Text(const std::string& id) const {
  auto it = texts_.find(id);
  return it != texts_.end() ? it->second : id;
}

namespace {

void ApplyOne(const CLanguageStore& store, QWidget* w) {
  const QVariant textId = w->property(kTextIdProperty);
  if (textId.isValid() && !textId.toString().isEmpty()) {
    const QString text = QString::fromStdString(store.Text(textId.toString().toStdString()));
    if (auto* label = qobject_cast<QLabel*>(w)) {
      label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      button->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      edit->setPlaceholderText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
      box->setTitle(text);
    } else if (w->isWindow()) {
      w->setWindowTitle(text);
    }
  }
  const QVariant tipId = w->property(kToolTipIdProperty);
  if (tipId.isValid() && !tipId.toString().isEmpty()) {
    w->setToolTip(QString::fromStdString(store.Text(tipId.toString().toStdString())));
  }
}

}  // namespace

void CLanguageStore::ApplyTexts(QWidget* tree) const {
  if (tree == nullptr) return;
  ApplyOne(*this, tree);
  const auto children = tree->findChildren<QWidget*>();
  for (QWidget* child : children) ApplyOne(*this, child);
}

void CLanguageStore::ReloadText() const {
  const auto windows = QApplication::topLevelWidgets();
  for (QWidget* w : windows) ApplyTexts(w);
}

void CLanguageStore::SetControlText(QWidget* control, const std::string& text, bool isKey) const {
  if (control == nullptr) return;
  if (isKey) {
    control->setProperty(kTextIdProperty, QString::fromStdString(text));
    ApplyOne(*this, control);
    return;
  }
  control->setProperty(kTextIdProperty, QVariant());
  const QString plain = QString::fromStdString(text);
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(plain);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(plain);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(plain);
  }
}

std::string FormatTextWithNumber(const std::string& text, long long value) {
  std::string out;
  bool used = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      if (text[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (text[i + 1] == 'd' && !used) {
        out += std::to_string(value);
        used = true;
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string TextOf(const std::string& id) { return CLanguageStore::GetInstance().Text(id); }

std::string KeyNameText(const std::string& id) {
  static const std::string kPrefix = "keyboard_key_";
  const std::string text = TextOf(id);
  if (text == id && id.rfind(kPrefix, 0) == 0) return id.substr(kPrefix.size());
  return text;
}

}  // namespace orlo::ui
