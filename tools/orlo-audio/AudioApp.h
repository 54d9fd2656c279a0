#pragma once
// The running capture program: it takes the audio-capture title on the bus, sends one level
// frame every 10 ms to the main window and ends when the window says so (the audio-record
// commands 2, 4 and 5 it sends at its shutdown), when the window has been gone for 3 s, when the
// sound server fails, or on SIGTERM / SIGINT.
//
// The window also sends the colour of the music style (a block of kind 10) and the values of its
// R, G and B sliders (commands 6, 7 and 8): each is logged on stderr and the colour goes back to
// the window as style values (see MusicColour.h).
#include <QObject>
#include <QTimer>
#include <string>

#include "FrameSender.h"
#include "MusicColour.h"
#include "analysis/CaptureSession.h"

namespace orlo::bus {
class MessageBus;
}

namespace orlo::audio {

inline constexpr std::chrono::seconds kPeerPatience{3};

// SIGTERM and SIGINT ask the program to end; it does so at its next frame.
void InstallStopSignals();

class CAudioApp : public QObject {
  Q_OBJECT
 public:
  CAudioApp(bus::MessageBus& bus, IAudioSource& source, const std::string& target);

  // Takes the title, opens the source and starts the frames; false with a one-line reason.
  bool Start(std::string& error);

 private:
  void OnTick();
  void OnMessage(uint32_t id, int64_t wParam, int64_t lParam);
  void OnData(uint32_t kind, const std::vector<uint8_t>& data);
  void SendColour();
  void Finish(int code, const std::string& why);

  bus::MessageBus& bus_;
  IAudioSource& source_;
  CCaptureSession session_;
  CFrameSender sender_;
  CMusicColour colour_;
  QTimer timer_;
  bool finished_ = false;
};

}  // namespace orlo::audio
