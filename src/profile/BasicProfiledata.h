#pragma once
// The in-memory device section of a device's active profile document, and its files.
//
// A profile document is a JSON object whose "Device" array holds, at deviceIndex (0 for every
// driver), the device section of the kind that owns the file. Other root members
// ("profilename", "profileUUID" of the profile list) are kept whenever the document is
// rewritten. A missing profile document, or one without a usable section, is recreated from the
// read-only default document; an invalid one (no JSON, or no object) is first moved aside. One
// that exists but cannot be read is never written: its section comes from the default document
// in memory, saves to it fail, and the user is told once. Each read-modify-write of a document
// holds its lock, so the window and the command-line front end never lose each other's change.
//
// Accessors look members up the way the stored documents always have: a member looked for and
// missing is added with the value null (every reader treats null as missing), so getters may
// leave null members in the section and the next Save writes them. Members of the wrong JSON
// type read as missing; nothing throws. Setters change only the section in memory; nothing
// reaches a file until Save or SaveSection.
//
// Not thread-safe: one caller at a time (the driver's UI thread).
#include <json/json.h>

#include <string>
#include <vector>

#include "profile/JsonFile.h"
#include "profile/KeyAssign.h"
#include "profile/LightData.h"

namespace orlo {

class CBasicProfiledata {
 public:
  CBasicProfiledata() = default;
  virtual ~CBasicProfiledata() = default;
  CBasicProfiledata(const CBasicProfiledata&) = delete;
  CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

  // ---- Folders ----------------------------------------------------------------------------
  // The application data folder (created when missing), ending in '/'.
  static std::string AppDataFolder();
  // Application data folder + displayName + "/" (created when missing). displayName is one of
  // "mouse", "keyboard", "MousePad", "HD".
  static std::string DeviceDataFolder(const std::string& displayName);
  // Program folder + "DefaultData/" + displayName + ".Json" (never created or written here).
  static std::string DefaultDocumentPath(const std::string& displayName);

  // ---- Paths and index ----------------------------------------------------------------------
  // An empty path keeps the former one.
  void SetProfilePath(const std::string& path);
  std::string GetProfilePath() const { return profilePath_; }
  void SetDefaultPath(const std::string& path);
  std::string GetDefaultPath() const { return defaultPath_; }
  // Index into "Device"; 0 for every driver. Values outside 0..kMaxDeviceIndex are ignored.
  void SetDeviceIndex(int index);
  int GetDeviceIndex() const { return deviceIndex_; }
  static constexpr int kMaxDeviceIndex = 15;
  // The profile kind index (keyboard 0, mouse 1, mousepad 2, headset 3) chooses the element of
  // the custom effect catalogue and the first custom mode (see FirstCustomLightMode). Drivers
  // set it with their kind; it starts at 0.
  void SetProfileKindIndex(int index) { profileKindIndex_ = index; }
  int GetProfileKindIndex() const { return profileKindIndex_; }

  // ---- Sections -----------------------------------------------------------------------------
  // Loads "Device"[deviceIndex] of the document at path into the section and returns a copy.
  // When the document has no usable section it is taken from the default document and the
  // repaired document is written to path (keeping its other root members) — except when path
  // is the default document itself, which is never written.
  Json::Value LoadSection(const std::string& path);
  // The same into the scratch section, used to edit a profile that is not the active one.
  Json::Value LoadScratchSection(const std::string& path);
  // Loads "Device"[deviceIndex] of a document already in memory into the section (null when it
  // has none; no default is taken and no file read or written) and returns a copy.
  Json::Value UseDocument(const Json::Value& document);
  const Json::Value& GetSection() const { return section_; }
  const Json::Value& GetScratchSection() const { return scratchSection_; }

  // Each returns 1 when the document was written and 0 when it could not be (the file is then
  // left as it was).
  // SaveSection(section, profile path).
  virtual int Save();
  // Reads the document at path, puts value at "Device"[deviceIndex], writes it back. A missing
  // (or invalid, moved aside) file becomes a document whose only member is "Device"; a file
  // that cannot be read is left as it is and the result is 0.
  virtual int SaveSection(const Json::Value& value, const std::string& path);
  // SaveSection(scratch section, path).
  virtual int SaveScratchSection(const std::string& path);
  // Writes document unchanged to path (under its lock; never over a file that cannot be read).
  virtual int WriteWholeDocument(const Json::Value& document, const std::string& path);

  // ---- Lighting (every kind) ------------------------------------------------------------------
  // All zero when the section has no "LightInfo".
  LightInfo GetLightInfo();
  // Replaces "LightInfo" with the record's eleven members.
  void SetLightInfo(const LightInfo& info);
  // All zero when the section has no "AudioLightInfo".
  AudioLightInfo GetAudioLightRecord();
  void SetAudioLightRecord(const AudioLightInfo& info);
  // "LightList" entries (read only); empty when missing.
  std::vector<LightInfo> GetLightList();
  void SetLightConfigPath(const std::string& path);
  std::string GetLightConfigPath() const { return lightConfigPath_; }
  // Reads the whole custom effect catalogue (null when missing or invalid), keeps it and
  // returns a copy.
  Json::Value LoadLightConfig(const std::string& path);
  // Keeps config as the custom effect catalogue (the in-memory form of LoadLightConfig).
  void UseLightConfig(const Json::Value& config);
  // The steps of the custom effect of the current LightInfo's mode, read from the step file
  // beside the light configuration. Empty when the mode is no custom effect, the catalogue or
  // its entry is missing, the Guid is no safe file name, or the step file is missing/invalid.
  std::vector<LEDEffectStep> GetCustomLightEffect();
  // The step file of the current mode's custom effect, or "" (no entry / unsafe Guid).
  std::string CustomLightEffectPath() const;

  // ---- Key assignments (every kind) -----------------------------------------------------------
  // Empty when the section has no "KeyList".
  std::vector<KeyAssign> GetKeyList();
  // Writes the current codes of list into "KeyList"[i]."Assignment"; "DefaultAssignment" and
  // elements beyond the list stay as they are.
  void SetKeyList(const std::vector<KeyAssign>& list);
  std::vector<KeyAssign> GetScratchKeyList();
  void SetScratchKeyList(const std::vector<KeyAssign>& list);

 protected:
  // The section for the creating lookups (nullptr when it is of the wrong type).
  Json::Value* SectionForRead();
  // The section for writing (a wrong type is replaced by an object first).
  Json::Value& SectionForWrite();

  std::string profilePath_;
  std::string defaultPath_;
  LightInfo lightInfo_;
  AudioLightInfo audioLightInfo_;
  std::vector<LightInfo> lightList_;
  Json::Value section_;
  CJsonFile jsonFile_;
  Json::Value scratchSection_;
  std::string lightConfigPath_;
  std::vector<LEDEffectStep> customEffect_;
  Json::Value lightConfig_;
  std::vector<KeyAssign> keyList_;
  std::vector<KeyAssign> scratchKeyList_;
  int deviceIndex_ = 0;
  int profileKindIndex_ = 0;

 private:
  Json::Value LoadInto(Json::Value& target, const std::string& path);
  static std::vector<KeyAssign> ReadKeyList(Json::Value* section);
  static void WriteKeyList(Json::Value& section, const std::vector<KeyAssign>& list);
};

// Keeps macro assignments in step when macro `deletedMacro` is deleted from the catalogue of a
// device: for each profile document in documentPaths (the profiles other than the selected
// one), the deleted-macro rule of PurgeDeletedMacro is applied to its key list and the
// document is saved when something changed. defaultPath is the device's default document
// (used only to repair a document that has no section). Returns the number of documents
// written. The selected profile is handled by its driver (RefersToMacro, PurgeDeletedMacro,
// SetKeyList, Save).
int PurgeMacroFromProfiles(const std::vector<std::string>& documentPaths, int deletedMacro,
                           const std::string& defaultPath);

}  // namespace orlo
