#include "app/ColourOptionFile.h"

#include "platform/Paths.h"
#include "profile/JsonAccess.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

constexpr const char* kFileName = "color_option_info.config";
constexpr const char* kSection = "coloroptioninfo";
constexpr const char* kPresets = "palletDialogcoloroption";
constexpr const char* kPresetIndex = "palletDialogcoloroption_selectitem";
constexpr const char* kCollected = "palletDialogcollectcoloroption";
constexpr const char* kCollectedIndex = "palletDialogcollectcoloroption_selectitem";
constexpr const char* kColour = "color";
constexpr const char* kMarker = "UserData";

// A selection index stored as an integer 0..19; anything else keeps `index`.
void ReadIndex(const Json::Value* info, const char* key, int& index) {
  const Json::Value* v = json::Peek(info, key);
  if (v == nullptr || !v->isIntegral()) return;
  const int64_t stored = json::Int(v);
  if (stored >= 0 && stored < ColourOptions::kCount) index = static_cast<int>(stored);
}

}  // namespace

CColourOptionFile::CColourOptionFile()
    : CColourOptionFile(paths::AppDataFolder() + kFileName, paths::ProgramFolder() + "DefaultData/" + kFileName) {}

CColourOptionFile::CColourOptionFile(std::string userPath, std::string defaultPath)
    : userPath_(std::move(userPath)), defaultPath_(std::move(defaultPath)) {}

std::string CColourOptionFile::FormatArgb(uint32_t argb) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, argb >>= 4) text[static_cast<size_t>(i)] = kDigits[argb & 0xF];
  return text;
}

bool CColourOptionFile::ParseArgb(const std::string& text, uint32_t& argb) {
  if (text.empty() || text.size() > 8) return false;
  uint32_t value = 0;
  for (char c : text) {
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else {
      return false;
    }
    value = value << 4 | digit;
  }
  argb = value;
  return true;
}

bool CColourOptionFile::FromDocument(const Json::Value& document, const ColourOptions& base, ColourOptions& out) {
  const Json::Value* info = json::Peek(&document, kSection);
  if (info == nullptr || !info->isObject()) return false;
  out = base;
  const Json::Value* presets = json::Peek(info, kPresets);
  const Json::Value* collected = json::Peek(info, kCollected);
  for (int i = 0; i < ColourOptions::kCount; ++i) {
    const auto at = static_cast<Json::ArrayIndex>(i);
    uint32_t argb = 0;
    if (ParseArgb(json::String(json::Peek(json::PeekAt(presets, at), kColour)), argb)) out.presets[i] = argb;

    const Json::Value* entry = json::PeekAt(collected, at);
    if (entry == nullptr || !entry->isObject()) continue;
    CollectedColour swatch;
    if (json::String(json::Peek(entry, kMarker)) == "1" &&
        ParseArgb(json::String(json::Peek(entry, kColour)), argb)) {
      swatch.argb = argb;
      swatch.marked = true;
    }
    out.collected[i] = swatch;
  }
  ReadIndex(info, kPresetIndex, out.presetIndex);
  ReadIndex(info, kCollectedIndex, out.collectedIndex);
  return true;
}

void CColourOptionFile::ToDocument(const ColourOptions& options, Json::Value& document) {
  if (!document.isObject()) document = Json::Value(Json::objectValue);
  Json::Value presets(Json::arrayValue);
  Json::Value collected(Json::arrayValue);
  for (int i = 0; i < ColourOptions::kCount; ++i) {
    Json::Value preset(Json::objectValue);
    preset[kColour] = FormatArgb(options.presets[i]);
    presets.append(preset);
    const CollectedColour& c = options.collected[i];
    Json::Value entry(Json::objectValue);
    entry[kColour] = FormatArgb(c.marked ? c.argb : 0xFFFFFFFFu);
    entry[kMarker] = c.marked ? "1" : "0";
    collected.append(entry);
  }
  Json::Value& info = json::Slot(document, kSection);
  info[kPresets] = presets;
  info[kPresetIndex] = options.presetIndex;
  info[kCollected] = collected;
  info[kCollectedIndex] = options.collectedIndex;
}

ColourOptions CColourOptionFile::Defaults() const {
  ColourOptions defaults;
  ColourOptions fromFile;
  if (FromDocument(CJsonFile().ReadDocument(defaultPath_), defaults, fromFile)) return fromFile;
  return defaults;
}

ColourOptions CColourOptionFile::Load() const {
  const CJsonFile file;
  const ColourOptions defaults = Defaults();
  const CJsonFile::ReadResult read = file.Read(userPath_);
  ColourOptions options;
  if (read.status == CJsonFile::ReadStatus::kOk && FromDocument(read.document, defaults, options)) return options;
  // A file that cannot be read keeps what it holds; the defaults serve from memory meanwhile.
  if (read.status == CJsonFile::ReadStatus::kUnreadable) {
    CJsonFile::TellUnreadable(userPath_, read.error);
    return defaults;
  }
  // Repaired under the file's lock, from what it holds by then: another program may have written
  // the swatches meanwhile.
  options = defaults;
  if (!paths::EnsureFolderOf(userPath_)) return options;
  file.UpdateDocument(userPath_, [&](Json::Value& doc) {
    if (FromDocument(doc, defaults, options)) return false;
    ToDocument(defaults, doc);
    return true;
  });
  return options;
}

bool CColourOptionFile::Save(const ColourOptions& options) const {
  if (!paths::EnsureFolderOf(userPath_)) return false;
  return CJsonFile().UpdateDocument(userPath_, [&](Json::Value& doc) {
    ToDocument(options, doc);
    return true;
  }) == 0;
}

}  // namespace orlo
