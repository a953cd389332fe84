// Runs ffmpeg with the frames on its standard input and the sound on descriptor 3, and moves the
// finished file to its name.
#include "headless/video_encoder.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <vector>

extern char** environ;

namespace {

constexpr int kSoundDescriptor = 3;

bool Executable(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// A descriptor above the ones the child's are copied to, closed on exec.
int MoveHigh(int fd) {
  const int high = fcntl(fd, F_DUPFD_CLOEXEC, 10);
  close(fd);
  return high;
}

std::vector<std::string> Arguments(const std::string& ffmpeg, VideoFormat format,
                                   std::int32_t width, std::int32_t height, std::uint32_t fps,
                                   const std::string& output) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  const std::string sound = "pipe:" + std::to_string(kSoundDescriptor);
  // The frames as OSMesa leaves them: ffmpeg flips and converts them once, on its side. The
  // sound's format is given so that ffmpeg does not read ahead in it to learn it: it would wait
  // for sound that frames it has not yet taken have still to make.
  const std::string common =
      "-hide_banner -nostdin -loglevel error -y -f rawvideo -pix_fmt rgba -video_size " + size +
      " -framerate " + std::to_string(fps) + " -i pipe:0 -f s16le -ar 44100 -ac 2" +
      " -analyzeduration 0 -probesize 32 -i " + sound +
      " -map 0:v -map 1:a -vf vflip -pix_fmt yuv420p ";
  const std::string codecs =
      format == VideoFormat::kMp4
          ? "-c:v libx264 -preset ultrafast -crf 23 -c:a aac -b:a 192k -movflags +faststart -f mp4"
          : "-c:v libvpx-vp9 -deadline realtime -cpu-used 8 -row-mt 1 -crf 32 -b:v 0"
            " -c:a libopus -b:a 160k -ar 48000 -f webm";
  std::vector<std::string> args = {ffmpeg};
  std::istringstream words(common + codecs);
  for (std::string word; words >> word;) {
    args.push_back(word);
  }
  args.push_back("file:" + output);  // a file, whatever its name looks like: "-a.mp4", "a:b.mp4"
  return args;
}

}  // namespace

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string dirs = path != nullptr ? path : "";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) {
      end = dirs.size();
    }
    const std::string dir = dirs.substr(start, end - start);
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (!dirs.empty() && Executable(candidate)) {
      return candidate;
    }
    start = end + 1;
  }
  return "";
}

VideoEncoder::~VideoEncoder() {
  Stop();
}

bool VideoEncoder::Start(const std::string& ffmpeg, const std::string& path, VideoFormat format,
                         std::int32_t width, std::int32_t height, std::uint32_t fps,
                         std::string* error) {
  path_ = path;
  frameBytes_ = static_cast<std::size_t>(width) * height * 4;
  // Beside the final name, so that the last step is a rename within one file system; its folder is
  // made when missing, as the output folder is.
  std::error_code made;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) {
    std::filesystem::create_directories(folder, made);
  }
  std::string name = path + ".XXXXXX.part";
  const int temporary = mkstemps(name.data(), 5);
  if (temporary < 0) {
    *error = "cannot create a file beside " + path + ": " + std::strerror(errno);
    return false;
  }
  // The file ffmpeg fills keeps this one's permissions: make them those of a new file.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(temporary, 0666 & ~mask);
  close(temporary);
  temporaryPath_ = name;

  int video[2];
  int sound[2];
  if (pipe2(video, O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  if (pipe2(sound, O_CLOEXEC) != 0) {
    close(video[0]);
    close(video[1]);
    *error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  const int videoRead = MoveHigh(video[0]);
  const int soundRead = MoveHigh(sound[0]);
  videoFd_ = video[1];
  soundFd_ = sound[1];

  const std::vector<std::string> args =
      Arguments(ffmpeg, format, width, height, fps, temporaryPath_);
  std::vector<char*> argv;
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, videoRead, 0);
  posix_spawn_file_actions_adddup2(&actions, soundRead, kSoundDescriptor);
  const int spawned = posix_spawn(&pid_, ffmpeg.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(videoRead);
  close(soundRead);
  if (spawned != 0) {
    pid_ = -1;
    *error = "cannot run " + ffmpeg + ": " + std::strerror(spawned);
    Stop();
    return false;
  }
  // A write to an encoder that has gone fails with EPIPE rather than ending this process.
  signal(SIGPIPE, SIG_IGN);
  fcntl(videoFd_, F_SETFL, O_NONBLOCK);
  fcntl(soundFd_, F_SETFL, O_NONBLOCK);
  fcntl(videoFd_, F_SETPIPE_SZ, 1 << 20);  // a larger pipe, where the system allows it
  return true;
}

bool VideoEncoder::AddFrame(const std::uint8_t* rgba) {
  failed_ = failed_ || !Pump(rgba, frameBytes_, false);
  return !failed_;
}

void VideoEncoder::AddSound(const std::int16_t* frames, std::size_t frameCount) {
  if (soundSent_ > 0 && soundSent_ == sound_.size()) {
    sound_.clear();
    soundSent_ = 0;
  }
  sound_.append(reinterpret_cast<const char*>(frames), frameCount * 2 * sizeof(std::int16_t));
}

bool VideoEncoder::Pump(const std::uint8_t* video, std::size_t size, bool drainSound) {
  if (failed_ || pid_ < 0) {
    return false;
  }
  while (size > 0 || (drainSound && soundSent_ < sound_.size())) {
    pollfd fds[2];
    nfds_t count = 0;
    if (size > 0) {
      fds[count++] = pollfd{videoFd_, POLLOUT, 0};
    }
    if (soundSent_ < sound_.size()) {
      fds[count++] = pollfd{soundFd_, POLLOUT, 0};
    }
    if (poll(fds, count, -1) < 0) {
      return false;  // interrupted by a signal to stop, or broken
    }
    for (nfds_t i = 0; i < count; ++i) {
      if ((fds[i].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
        return false;  // ffmpeg has closed its input: it has stopped
      }
      if ((fds[i].revents & POLLOUT) == 0) {
        continue;
      }
      const bool isVideo = fds[i].fd == videoFd_;
      const ssize_t written =
          isVideo ? write(videoFd_, video, size)
                  : write(soundFd_, sound_.data() + soundSent_, sound_.size() - soundSent_);
      if (written < 0) {
        if (errno == EAGAIN || errno == EINTR) {
          continue;
        }
        return false;
      }
      if (isVideo) {
        video += written;
        size -= static_cast<std::size_t>(written);
      } else {
        soundSent_ += static_cast<std::size_t>(written);
      }
    }
  }
  // Keep the sound buffer from growing: drop what ffmpeg has taken once it is most of it.
  if (soundSent_ > (1u << 16) && soundSent_ * 2 > sound_.size()) {
    sound_.erase(0, soundSent_);
    soundSent_ = 0;
  }
  return true;
}

void VideoEncoder::CloseInputs() {
  for (int* fd : {&videoFd_, &soundFd_}) {
    if (*fd >= 0) {
      close(*fd);
      *fd = -1;
    }
  }
}

bool VideoEncoder::Finish(std::string* error) {
  if (pid_ < 0) {
    *error = "the video encoder is not running";
    return false;
  }
  // The frames end first: ffmpeg may still be reading them when the last sound is sent.
  close(videoFd_);
  videoFd_ = -1;
  failed_ = failed_ || !Pump(nullptr, 0, true);
  CloseInputs();  // the end of the sound too: ffmpeg finishes the file and exits
  int status = 0;
  rusage usage{};
  while (wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  cpuSeconds_ = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (exited && !failed_ && std::rename(temporaryPath_.c_str(), path_.c_str()) == 0) {
    temporaryPath_.clear();
    return true;
  }
  if (!WIFEXITED(status)) {
    *error = "ffmpeg was stopped by signal " + std::to_string(WTERMSIG(status));
  } else if (WEXITSTATUS(status) != 0) {
    *error = "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(status));
  } else if (failed_) {
    *error = "ffmpeg stopped taking the frames";
  } else {
    *error = "cannot name the video " + path_ + ": " + std::strerror(errno);
  }
  Stop();
  return false;
}

void VideoEncoder::Stop() {
  CloseInputs();
  if (pid_ >= 0) {
    kill(pid_, SIGKILL);  // its file is being thrown away: no need to let it finish
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }
  if (!temporaryPath_.empty()) {
    unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
  }
}
