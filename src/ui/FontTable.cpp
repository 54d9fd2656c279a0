#include "ui/FontTable.h"

#include <QApplication>
#include <QFile>
#include <QWidget>
#include <QXmlStreamReader>

#include "ui/DpiManager.h"

namespace orlo::ui {

CFontTable& CFontTable::GetInstance() {
  static CFontTable table;
  return table;
}

CFontTable::CFontTable() { SetInterfaceFonts({}); }

const FontEntry& CFontTable::Entry(int id) const {
  auto it = fonts_.find(id);
  return it != fonts_.end() ? it->second : default_;
}

QFont CFontTable::GetFont(int id) const {
  const FontEntry& entry = Entry(id);
  QFont font;
  if (!entry.face.empty()) font.setFamily(QString::fromStdString(entry.face));
  font.setPixelSize(std::max(1, CDpiManager::Scale(entry.size)));
  font.setBold(entry.bold);
  font.setUnderline(entry.underline);
  font.setItalic(entry.italic);
  return font;
}

void CFontTable::SetInterfaceFonts(const std::string& face) {
  struct Row {
    int id, size;
    bool bold, underline;
  };
  static constexpr Row kRows[] = {{0, 15, false, false},  {1, 14, false, true},  {2, 18, false, false},
                                  {3, 30, false, false},  {4, 16, false, false}, {5, 20, false, false},
                                  {6, 22, false, false},  {7, 14, false, false}, {8, 12, false, false},
                                  {9, 11, false, false},  {10, 10, false, false}, {11, 28, false, false},
                                  {50, 18, true, false}};
  default_ = FontEntry{face, 13};
  fonts_.clear();
  for (const Row& r : kRows) fonts_[r.id] = FontEntry{face, r.size, r.bold, r.underline, false};
}

void CFontTable::ApplyFonts(QWidget* tree) const {
  if (tree == nullptr) return;
  auto applyOne = [this](QWidget* w, bool isRoot) {
    bool ok = false;
    const int id = w->property(kFontIdProperty).toInt(&ok);
    if (ok) {
      w->setFont(GetFont(id));
    } else if (isRoot) {
      w->setFont(GetFont(-1));
    }
  };
  applyOne(tree, tree->isWindow());
  const auto children = tree->findChildren<QWidget*>();
  for (QWidget* w : children) applyOne(w, false);
}

void CFontTable::ReloadFonts() const {
  const auto windows = QApplication::topLevelWidgets();
  for (QWidget* w : windows) ApplyFonts(w);
}

bool CLanguageFaces::LoadFromString(const std::string& text) {
  QXmlStreamReader xml(QByteArray::fromStdString(text));
  std::string common;
  std::map<int, std::string> own;
  bool sawRoot = false;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto attrs = xml.attributes();
    if (!sawRoot) {
      sawRoot = true;
      common = attrs.value(QLatin1String("common")).toString().toStdString();
      continue;
    }
    if (xml.name() != QLatin1String("face")) continue;
    bool ok = false;
    const int index = attrs.value(QLatin1String("index")).toInt(&ok);
    const std::string family = attrs.value(QLatin1String("family")).toString().toStdString();
    if (ok && !family.empty()) own[index] = family;
  }
  if (xml.hasError() || !sawRoot) return false;
  common_ = std::move(common);
  own_ = std::move(own);
  return true;
}

bool CLanguageFaces::LoadFile(const std::string& path) {
  QFile in(QString::fromStdString(path));
  return in.open(QIODevice::ReadOnly) && LoadFromString(in.readAll().toStdString());
}

std::optional<std::string> CLanguageFaces::FaceFor(int newIndex, int currentIndex) const {
  if (auto it = own_.find(newIndex); it != own_.end()) return it->second;
  if (currentIndex == -1 || own_.count(currentIndex) != 0) return common_;
  return std::nullopt;
}

}  // namespace orlo::ui
