// The ffmpeg program as the render's video encoder: raw frames and raw sound piped in, one file
// out, which appears under its name only once it is complete.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "headless/render_options.h"

// The full path of `name` found on PATH as an executable file, or "" when there is none.
std::string FindProgram(const std::string& name);

class VideoEncoder {
 public:
  VideoEncoder() = default;
  // An encoder not finished is stopped and its temporary file removed.
  ~VideoEncoder();
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // Starts `ffmpeg` writing a temporary file beside `path`, from RGBA frames of width x height
  // (bottom row first, as OpenGL leaves them) at `fps`, and 44100 Hz 16-bit stereo sound.
  bool Start(const std::string& ffmpeg, const std::string& path, VideoFormat format,
             std::int32_t width, std::int32_t height, std::uint32_t fps, std::string* error);
  // One whole frame; false once the encoder has gone.
  bool AddFrame(const std::uint8_t* rgba);
  // Interleaved left/right sound frames, sent while frames are being written.
  void AddSound(const std::int16_t* frames, std::size_t frameCount);
  // Ends both streams and waits for ffmpeg. Only when everything succeeded does the file get its
  // final name; otherwise the temporary file is removed and `error` says why.
  bool Finish(std::string* error);

  // The processor time ffmpeg used, known after Finish.
  double EncoderCpuSeconds() const { return cpuSeconds_; }

 private:
  // Writes `size` bytes of a frame, and as much of the pending sound as ffmpeg takes meanwhile:
  // ffmpeg reads its two inputs on threads of its own, so neither pipe may wait for the other.
  bool Pump(const std::uint8_t* video, std::size_t size, bool drainSound);
  void CloseInputs();
  void Stop();

  pid_t pid_ = -1;
  int videoFd_ = -1;
  int soundFd_ = -1;
  std::size_t frameBytes_ = 0;
  std::string sound_;  // bytes not yet taken by ffmpeg, from soundSent_ on
  std::size_t soundSent_ = 0;
  bool failed_ = false;
  std::string path_;
  std::string temporaryPath_;
  double cpuSeconds_ = 0;
};
