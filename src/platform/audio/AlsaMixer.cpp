#include "platform/audio/AlsaMixer.h"

#include <alsa/asoundlib.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/DebugLog.h"

namespace orlo::audio {
namespace {

// libasound prints its own errors on stderr (a card that went away, for instance); they belong
// in the debug log with ours.
void AlsaError(const char* file, int line, const char* function, int, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  DebugPrintf("ALSA %s:%d (%s): %s", file, line, function, text);
}

bool Playback(MixerDirection dir) { return dir == MixerDirection::kPlayback; }

// Simple control "name" index 0, after taking the card's pending change events so that values
// read are current. nullptr when the card has no such control.
snd_mixer_elem_t* Find(snd_mixer_t* handle, const std::string& name) {
  snd_mixer_handle_events(handle);
  snd_mixer_selem_id_t* id = nullptr;
  if (snd_mixer_selem_id_malloc(&id) < 0) return nullptr;
  snd_mixer_selem_id_set_index(id, 0);
  snd_mixer_selem_id_set_name(id, name.c_str());
  snd_mixer_elem_t* elem = snd_mixer_find_selem(handle, id);
  snd_mixer_selem_id_free(id);
  return elem;
}

bool HasVolume(snd_mixer_elem_t* e, MixerDirection dir) {
  return e && (Playback(dir) ? snd_mixer_selem_has_playback_volume(e) : snd_mixer_selem_has_capture_volume(e));
}

bool HasSwitchOf(snd_mixer_elem_t* e, MixerDirection dir) {
  return e && (Playback(dir) ? snd_mixer_selem_has_playback_switch(e) : snd_mixer_selem_has_capture_switch(e));
}

// Channel -1 reads the first channel. False when the control lacks the channel.
bool ChannelFor(snd_mixer_elem_t* e, MixerDirection dir, int channel, snd_mixer_selem_channel_id_t& out) {
  out = channel < 0 ? SND_MIXER_SCHN_FRONT_LEFT : static_cast<snd_mixer_selem_channel_id_t>(channel);
  return Playback(dir) ? snd_mixer_selem_has_playback_channel(e, out) : snd_mixer_selem_has_capture_channel(e, out);
}

}  // namespace

std::unique_ptr<AlsaMixer> AlsaMixer::Open(int card) {
  static std::once_flag quiet;
  std::call_once(quiet, [] { snd_lib_error_set_handler(AlsaError); });
  snd_mixer_t* handle = nullptr;
  if (card < 0 || snd_mixer_open(&handle, 0) < 0) return nullptr;
  const std::string name = "hw:" + std::to_string(card);
  if (snd_mixer_attach(handle, name.c_str()) < 0 || snd_mixer_selem_register(handle, nullptr, nullptr) < 0 ||
      snd_mixer_load(handle) < 0) {
    snd_mixer_close(handle);
    return nullptr;
  }
  return std::unique_ptr<AlsaMixer>(new AlsaMixer(handle));
}

AlsaMixer::~AlsaMixer() { snd_mixer_close(handle_); }

std::optional<std::pair<long, long>> AlsaMixer::VolumeRange(const std::string& control, MixerDirection dir) {
  snd_mixer_elem_t* e = Find(handle_, control);
  if (!HasVolume(e, dir)) return std::nullopt;
  long min = 0, max = 0;
  const int rc = Playback(dir) ? snd_mixer_selem_get_playback_volume_range(e, &min, &max)
                               : snd_mixer_selem_get_capture_volume_range(e, &min, &max);
  if (rc < 0) return std::nullopt;
  return std::make_pair(min, max);
}

std::optional<long> AlsaMixer::Volume(const std::string& control, MixerDirection dir, int channel) {
  snd_mixer_elem_t* e = Find(handle_, control);
  snd_mixer_selem_channel_id_t ch;
  if (!HasVolume(e, dir) || !ChannelFor(e, dir, channel, ch)) return std::nullopt;
  long v = 0;
  const int rc = Playback(dir) ? snd_mixer_selem_get_playback_volume(e, ch, &v)
                               : snd_mixer_selem_get_capture_volume(e, ch, &v);
  if (rc < 0) return std::nullopt;
  return v;
}

bool AlsaMixer::SetVolume(const std::string& control, MixerDirection dir, int channel, long raw) {
  snd_mixer_elem_t* e = Find(handle_, control);
  if (!HasVolume(e, dir)) return false;
  if (channel < 0) {
    return (Playback(dir) ? snd_mixer_selem_set_playback_volume_all(e, raw)
                          : snd_mixer_selem_set_capture_volume_all(e, raw)) >= 0;
  }
  snd_mixer_selem_channel_id_t ch;
  if (!ChannelFor(e, dir, channel, ch)) return false;
  return (Playback(dir) ? snd_mixer_selem_set_playback_volume(e, ch, raw)
                        : snd_mixer_selem_set_capture_volume(e, ch, raw)) >= 0;
}

bool AlsaMixer::HasSwitch(const std::string& control, MixerDirection dir) {
  return HasSwitchOf(Find(handle_, control), dir);
}

std::optional<bool> AlsaMixer::Switch(const std::string& control, MixerDirection dir, int channel) {
  snd_mixer_elem_t* e = Find(handle_, control);
  snd_mixer_selem_channel_id_t ch;
  if (!HasSwitchOf(e, dir) || !ChannelFor(e, dir, channel, ch)) return std::nullopt;
  int on = 0;
  const int rc = Playback(dir) ? snd_mixer_selem_get_playback_switch(e, ch, &on)
                               : snd_mixer_selem_get_capture_switch(e, ch, &on);
  if (rc < 0) return std::nullopt;
  return on != 0;
}

bool AlsaMixer::SetSwitch(const std::string& control, MixerDirection dir, int channel, bool on) {
  snd_mixer_elem_t* e = Find(handle_, control);
  if (!HasSwitchOf(e, dir)) return false;
  const int v = on ? 1 : 0;
  if (channel < 0) {
    return (Playback(dir) ? snd_mixer_selem_set_playback_switch_all(e, v)
                          : snd_mixer_selem_set_capture_switch_all(e, v)) >= 0;
  }
  snd_mixer_selem_channel_id_t ch;
  if (!ChannelFor(e, dir, channel, ch)) return false;
  return (Playback(dir) ? snd_mixer_selem_set_playback_switch(e, ch, v)
                        : snd_mixer_selem_set_capture_switch(e, ch, v)) >= 0;
}

}  // namespace orlo::audio
