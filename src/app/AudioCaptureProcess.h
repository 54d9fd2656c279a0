#pragma once
// Runs the audio-capture program (orlo-audio) while music lighting is on: started when music
// lighting is switched on, stopped when it is switched off and when this object goes (the main
// window's shutdown). The program finds the main window on the session bus by itself and ends
// by itself when the window is gone, so a crash here leaves nothing capturing behind.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace orlo {

class CAudioCaptureProcess {
 public:
  // program: the executable (default: orlo-audio beside this program, else on PATH).
  explicit CAudioCaptureProcess(QString program = DefaultProgram(), QStringList arguments = {});
  ~CAudioCaptureProcess();
  CAudioCaptureProcess(const CAudioCaptureProcess&) = delete;
  CAudioCaptureProcess& operator=(const CAudioCaptureProcess&) = delete;

  // On: starts the program unless it runs; false when it could not be started. Off: stops it
  // (SIGTERM, which it answers within one frame; killed after 1 s). Always true for off.
  bool SetMusicLighting(bool on);
  bool Running() const;
  // The running program's process id, 0 when none runs.
  qint64 ProcessId() const { return Running() ? process_->processId() : 0; }

  static QString DefaultProgram();

 private:
  void Stop();

  QString program_;
  QStringList arguments_;
  std::unique_ptr<QProcess> process_;
};

}  // namespace orlo
