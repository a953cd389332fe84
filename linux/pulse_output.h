// The software mixer heard through the desktop's sound server (PulseAudio, or PipeWire's
// PulseAudio service): an audio thread pulls small mixed blocks and writes them to a low-latency
// playback stream, while the program's thread plays, sets volumes and pans.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

class Clock;
class SoftwareMixer;
struct pa_simple;

class PulseOutput {
 public:
  PulseOutput() = default;
  ~PulseOutput();
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;

  // Connects a 44100 Hz stereo 16-bit playback stream; false with the server's reason when there
  // is no server to reach.
  bool Open(const char* applicationName, std::string* error);
  bool IsOpen() const { return stream_ != nullptr; }

  // Starts the audio thread, which renders `mixer` block by block until Close, laying `clock`'s
  // instants onto the stream: a timed play is heard a latency after the instant it is due at,
  // which follows what the plays need (kRealTimePlayLatency: from 38 ms, up to 150 ms). Where the
  // system allows it, the thread runs at a real-time priority.
  void Start(SoftwareMixer& mixer, Clock& clock);

  // Ends the thread, fades the sound out over one block so that it ends without a click, lets
  // the server play what it holds and closes the stream.
  void Close();

 private:
  void Pump();

  pa_simple* stream_ = nullptr;
  SoftwareMixer* mixer_ = nullptr;
  Clock* clock_ = nullptr;
  std::thread thread_;
  std::atomic<bool> running_{false};
};
