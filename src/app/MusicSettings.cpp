#include "app/MusicSettings.h"

#include "platform/DebugLog.h"
#include "platform/Paths.h"
#include "profile/JsonAccess.h"

namespace orlo {

namespace {

constexpr const char* kDevice = "Device";
constexpr const char* kInfo = "AudioLightInfo";
constexpr const char* kStyle = "nAudioStyle";
constexpr const char* kNames[] = {"nStyleName1", "nStyleName2", "nStyleName3", "nStyleName4"};
constexpr const char* kRed[] = {"nStyleR0", "nStyleR1", "nStyleR2", "nStyleR3"};
constexpr const char* kGreen[] = {"nStyleG0", "nStyleG1", "nStyleG2", "nStyleG3"};
constexpr const char* kBlue[] = {"nStyleB0", "nStyleB1", "nStyleB2", "nStyleB3"};

// The member `name` of `doc` when doc is an object and the member is one too; null otherwise.
const Json::Value* ObjectMember(const Json::Value& doc, const char* name) {
  const Json::Value* member = json::Peek(&doc, name);
  return member != nullptr && member->isObject() ? member : nullptr;
}

const Json::Value* DeviceOf(const Json::Value& doc) { return ObjectMember(doc, kDevice); }

// A member read as an integer cut to 8 bits; 0 when it is missing or not a number (a text where
// a number belongs must not throw).
uint8_t Byte(const Json::Value& object, const char* name) {
  const Json::Value& v = object[name];
  if (v.isInt64()) return static_cast<uint8_t>(v.asInt64());
  if (v.isUInt64()) return static_cast<uint8_t>(v.asUInt64());
  return 0;
}

void PutWord(std::vector<uint8_t>& block, size_t index, uint32_t value) {
  for (size_t b = 0; b < 4; ++b) block[index * 4 + b] = static_cast<uint8_t>(value >> (8 * b));
}

}  // namespace

CMusicSettings::CMusicSettings(std::string defaultPath, std::string userPath)
    : defaultPath_(std::move(defaultPath)), userPath_(std::move(userPath)) {}

void CMusicSettings::Load() {
  const CJsonFile::ReadResult read = file_.Read(userPath_);
  if (const Json::Value* device = DeviceOf(read.document)) {
    document_ = *device;
    ReadStyle();
    return;
  }
  const Json::Value defaults = file_.ReadDocument(defaultPath_);
  const Json::Value* fallback = DeviceOf(defaults);
  document_ = fallback ? *fallback : Json::Value();
  if (read.status == CJsonFile::ReadStatus::kUnreadable) {
    // Kept as it is; the defaults serve from memory.
    CJsonFile::TellUnreadable(userPath_, read.error);
  } else if (fallback == nullptr) {
    DebugPrintf("music settings: no default copy at %s", defaultPath_.c_str());
  } else if (paths::EnsureFolderOf(userPath_)) {
    // Under the file's lock, from what it holds by then: another writer may have put a
    // "Device" there meanwhile, and an invalid file is moved aside first.
    file_.UpdateDocument(userPath_, [&](Json::Value& doc) {
      if (const Json::Value* device = DeviceOf(doc)) {
        document_ = *device;
        return false;
      }
      if (doc.isObject()) {
        doc[kDevice] = *fallback;
      } else {
        doc = defaults;
      }
      return true;
    });
  }
  ReadStyle();
}

void CMusicSettings::Reset() {
  const Json::Value defaults = file_.ReadDocument(defaultPath_);
  const Json::Value* fallback = DeviceOf(defaults);
  if (fallback == nullptr) {
    DebugPrintf("music settings: no default copy at %s; nothing reset", defaultPath_.c_str());
    return;
  }
  if (paths::EnsureFolderOf(userPath_)) {
    file_.UpdateDocument(userPath_, [&](Json::Value& doc) {
      doc = defaults;
      return true;
    });
  }
  document_ = *fallback;
  ReadStyle();
}

MusicStyleSettings CMusicSettings::ReadStyle() {
  MusicStyleSettings s;
  if (const Json::Value* info = ObjectMember(document_, kInfo)) {
    s.style = Byte(*info, kStyle);
    for (size_t i = 0; i < MusicStyleSettings::kStyles; ++i) {
      s.names[i] = json::String(json::Peek(info, kNames[i]));
      s.colours[i] = {Byte(*info, kRed[i]), Byte(*info, kGreen[i]), Byte(*info, kBlue[i])};
    }
  }
  style_ = s;
  return s;
}

void CMusicSettings::WriteStyle(const MusicStyleSettings& s) {
  style_ = s;
  Json::Value info(Json::objectValue);
  info[kStyle] = s.style;
  for (size_t i = 0; i < MusicStyleSettings::kStyles; ++i) {
    info[kNames[i]] = s.names[i];
    info[kRed[i]] = s.colours[i].red;
    info[kGreen[i]] = s.colours[i].green;
    info[kBlue[i]] = s.colours[i].blue;
  }
  if (!document_.isObject()) document_ = Json::Value(Json::objectValue);
  document_[kInfo] = std::move(info);
}

bool CMusicSettings::Save() {
  if (!paths::EnsureFolderOf(userPath_)) return false;
  return file_.UpdateDocument(userPath_, [&](Json::Value& doc) {
           if (!doc.isObject()) doc = Json::Value(Json::objectValue);
           doc[kDevice] = document_;
           return true;
         }) == 0;
}

std::vector<uint8_t> CMusicSettings::ColourBlock(const MusicStyleSettings& s) {
  std::vector<uint8_t> block(kColourBlockBytes, 0);
  const MusicStyleColour& c = s.SelectedColour();
  PutWord(block, 0, c.red);
  // Green goes out as at least 1, as the capture programs expect the block.
  PutWord(block, 1, c.green == 0 ? 1 : c.green);
  PutWord(block, 2, c.blue);
  return block;
}

}  // namespace orlo
