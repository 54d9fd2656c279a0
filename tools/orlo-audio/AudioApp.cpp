#include "AudioApp.h"

#include <unistd.h>

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

#include "platform/bus/MessageBus.h"
#include "platform/bus/RegisteredMessages.h"

namespace orlo::audio {

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

void OnStopSignal(int) { g_stopRequested = 1; }

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = &OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

CAudioApp::CAudioApp(bus::MessageBus& bus, IAudioSource& source, const std::string& target)
    : bus_(bus), source_(source), session_(source), sender_(bus, target, getpid(), kPeerPatience, Clock::now()) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { OnTick(); });
  bus_.SetMessageHandler([this](uint32_t id, int64_t wParam, int64_t lParam) { OnMessage(id, wParam, lParam); });
  bus_.SetDataHandler([this](int64_t, uint32_t kind, const std::vector<uint8_t>& data) { OnData(kind, data); });
}

bool CAudioApp::Start(std::string& error) {
  // Two capture programs would interleave their frames, and the window would read the flipping
  // signs of one against the other's.
  if (bus_.PeerPresent(bus::kAudioCaptureTitle) || !bus_.Publish(bus::kAudioCaptureTitle)) {
    error = "another audio-capture program is running";
    return false;
  }
  if (!source_.Start(error)) return false;
  timer_.start(0);
  return true;
}

void CAudioApp::OnTick() {
  if (finished_) return;
  if (g_stopRequested) return Finish(0, {});
  if (std::string failure = source_.Failure(); !failure.empty()) return Finish(1, failure);
  const TimePoint now = Clock::now();
  const std::vector<uint8_t> block = session_.Tick(now);
  if (!block.empty()) sender_.Send(block, now);
  if (sender_.PeerGone(now)) return Finish(0, "the window that receives the levels is gone");
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(session_.NextDue() - Clock::now());
  timer_.start(std::max(wait, std::chrono::milliseconds{0}));
}

void CAudioApp::OnMessage(uint32_t id, int64_t wParam, int64_t lParam) {
  if (id != bus::Messages().audioRecord || finished_) return;
  if (wParam == 2 || wParam == 4 || wParam == 5) {
    std::fprintf(stderr, "orlo-audio: stop command %lld from the window\n", static_cast<long long>(wParam));
    return Finish(0, {});
  }
  if (colour_.TakeCommand(wParam, lParam)) {
    static constexpr const char* kComponents[] = {"red", "green", "blue"};
    const auto c = static_cast<size_t>(wParam - CMusicColour::kFirstComponentCommand);
    std::fprintf(stderr, "orlo-audio: %s %d\n", kComponents[c], colour_.Steps()[c]);
    SendColour();
  }
}

void CAudioApp::OnData(uint32_t kind, const std::vector<uint8_t>& data) {
  if (finished_ || kind != CMusicColour::kColourKind) return;
  if (!colour_.TakeBlock(data)) {
    std::fprintf(stderr, "orlo-audio: colour block of %zu bytes ignored\n", data.size());
    return;
  }
  const auto& s = colour_.Steps();
  std::fprintf(stderr, "orlo-audio: music colour %d %d %d\n", s[0], s[1], s[2]);
  SendColour();
}

void CAudioApp::SendColour() { sender_.SendStyle(colour_.StyleBlock()); }

void CAudioApp::Finish(int code, const std::string& why) {
  if (finished_) return;
  finished_ = true;
  timer_.stop();
  if (!why.empty()) std::fprintf(stderr, "orlo-audio: %s\n", why.c_str());
  QCoreApplication::exit(code);
}

}  // namespace orlo::audio
