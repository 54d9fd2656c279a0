#include "platform/audio/SoundCardList.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace orlo::audio {
namespace {

// The kernel numbers cards from 0 to a small limit; anything larger is no card line.
constexpr int kMaxCard = 255;
constexpr int kMaxPcmDevice = 255;

std::string CardFolder(const std::string& root, int card) { return root + "/card" + std::to_string(card); }

// A whole decimal number 0..limit, or nothing.
std::optional<int> SmallNumber(std::string_view s, int limit) {
  if (s.empty() || s.size() > 3) return std::nullopt;
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || v < 0 || v > limit) return std::nullopt;
  return v;
}

std::optional<uint16_t> Hex4(std::string_view s) {
  if (s.size() != 4) return std::nullopt;
  unsigned v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return static_cast<uint16_t>(v);
}

}  // namespace

std::vector<int> ListSoundCards(const std::string& root) {
  std::vector<int> cards;
  std::ifstream in(root + "/cards");
  std::string line;
  while (std::getline(in, line)) {
    // A card line: blanks, the number, a blank, then "[id".
    std::string_view s(line);
    const size_t start = s.find_first_not_of(' ');
    if (start == std::string_view::npos) continue;
    s.remove_prefix(start);
    const size_t end = s.find_first_not_of("0123456789");
    if (end == 0 || end == std::string_view::npos || s.substr(end).rfind(" [", 0) != 0) continue;
    if (auto n = SmallNumber(s.substr(0, end), kMaxCard)) cards.push_back(*n);
  }
  return cards;
}

std::optional<std::pair<uint16_t, uint16_t>> SoundCardUsbId(const std::string& root, int card) {
  std::ifstream in(CardFolder(root, card) + "/usbid");
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  std::string_view s(line);
  if (s.size() != 9 || s[4] != ':') return std::nullopt;
  auto vendor = Hex4(s.substr(0, 4));
  auto product = Hex4(s.substr(5, 4));
  if (!vendor || !product) return std::nullopt;
  return std::make_pair(*vendor, *product);
}

std::optional<int> FindUsbSoundCard(const std::string& root, uint16_t vendor, uint16_t product) {
  if (vendor == 0 && product == 0) return std::nullopt;
  for (int card : ListSoundCards(root)) {
    auto id = SoundCardUsbId(root, card);
    if (id && id->first == vendor && id->second == product) return card;
  }
  return std::nullopt;
}

std::vector<int> ListPcmDevices(const std::string& root, int card, bool capture) {
  std::vector<int> devices;
  std::error_code ec;
  std::filesystem::directory_iterator it(CardFolder(root, card), ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::string_view s(name);
    if (s.size() < 5 || s.rfind("pcm", 0) != 0 || s.back() != (capture ? 'c' : 'p')) continue;
    if (auto n = SmallNumber(s.substr(3, s.size() - 4), kMaxPcmDevice)) devices.push_back(*n);
  }
  std::sort(devices.begin(), devices.end());
  return devices;
}

}  // namespace orlo::audio
