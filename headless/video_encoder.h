// The ffmpeg program as the render's video encoder: the frames piped into one run that encodes the
// picture, the sound kept beside it, and a second run that joins the two into one file, which
// appears under its name only once it is complete.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "headless/render_options.h"

// The full path of `name` found on PATH as an executable file, or "" when there is none.
std::string FindProgram(const std::string& name);

class VideoEncoder {
 public:
  // An ffmpeg that takes nothing of the frames for this long, and does no work either, has
  // stalled and is stopped: far longer than a start on a busy machine takes, short enough that a
  // stuck render gets noticed.
  static constexpr int kStallSeconds = 30;

  VideoEncoder() = default;
  // An encoder not finished is stopped and its temporary files removed.
  ~VideoEncoder();
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // Starts `ffmpeg` encoding RGBA frames of width x height (bottom row first, as OpenGL leaves
  // them) at `fps`, for a file at `path`; the sound is 44100 Hz 16-bit stereo.
  bool Start(const std::string& ffmpeg, const std::string& path, VideoFormat format,
             std::int32_t width, std::int32_t height, std::uint32_t fps, std::string* error);
  // One whole frame; false once the encoder has gone, stalled or failed.
  bool AddFrame(const std::uint8_t* rgba);
  // Interleaved left/right sound frames, from the first on.
  void AddSound(const std::int16_t* frames, std::size_t frameCount);
  // Ends the frames, joins the sound to them and waits for ffmpeg. Only when everything succeeded
  // does the file get its final name; otherwise the temporary files are removed and `error` says
  // why.
  bool Finish(std::string* error);

  // The processor time ffmpeg used, known after Finish.
  double EncoderCpuSeconds() const { return cpuSeconds_; }

 private:
  bool Write(const std::uint8_t* data, std::size_t size);
  bool Drain();
  bool Stalled();
  int Reap(pid_t pid);
  void Stop();

  std::string ffmpeg_;
  VideoFormat format_ = VideoFormat::kMp4;
  pid_t pid_ = -1;
  int videoFd_ = -1;
  std::FILE* sound_ = nullptr;
  std::size_t frameBytes_ = 0;
  bool failed_ = false;
  std::string error_;  // why the encoder failed, when it knows better than ffmpeg's exit status
  std::string path_;
  std::string temporaryPath_;  // the joined file, renamed to path_ when complete
  std::string picturePath_;    // the encoded picture alone
  std::string soundPath_;      // the sound, raw
  double cpuSeconds_ = 0;
};
