// Runs ffmpeg on the frames from its standard input, keeps the sound in a file, then has ffmpeg
// join picture and sound, and moves the finished file to its name.
#include "headless/video_encoder.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <vector>

extern char** environ;

namespace {

using Clocked = std::chrono::steady_clock;

constexpr auto kStall = std::chrono::seconds(VideoEncoder::kStallSeconds);
// Processor time within a stall's span that shows ffmpeg at work rather than stuck.
constexpr double kWorkSeconds = 1;

bool Executable(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// A new empty file of our own beside `path`, named path.XXXXXX`suffix`.
int CreateTemporary(const std::string& path, const std::string& suffix, std::string* name,
                    std::string* error) {
  *name = path + ".XXXXXX" + suffix;
  const int fd = mkstemps(name->data(), static_cast<int>(suffix.size()));
  if (fd < 0) {
    *error = "cannot create a file beside " + path + ": " + std::strerror(errno);
    name->clear();
  }
  return fd;
}

void AddWords(std::vector<std::string>* args, const std::string& words) {
  std::istringstream stream(words);
  for (std::string word; stream >> word;) {
    args->push_back(word);
  }
}

// A file, whatever its name looks like: "-a.mp4", "a:b.mp4".
std::string FileUrl(const std::string& path) {
  return "file:" + path;
}

// The picture: the frames as OSMesa leaves them, flipped and converted once on ffmpeg's side, into
// NUT, which keeps the frame rate's time base exactly.
std::vector<std::string> PictureCommand(const std::string& ffmpeg, VideoFormat format,
                                        std::int32_t width, std::int32_t height, std::uint32_t fps,
                                        const std::string& output) {
  std::vector<std::string> args = {ffmpeg};
  AddWords(&args,
           "-hide_banner -nostdin -loglevel error -y -f rawvideo -pix_fmt rgba -video_size " +
               std::to_string(width) + "x" + std::to_string(height) + " -framerate " +
               std::to_string(fps) + " -i pipe:0 -vf vflip -pix_fmt yuv420p");
  AddWords(&args, format == VideoFormat::kMp4
                      ? "-c:v libx264 -preset ultrafast -crf 23"
                      : "-c:v libvpx-vp9 -deadline realtime -cpu-used 8 -row-mt 1 -crf 32 -b:v 0");
  AddWords(&args, "-f nut");
  args.push_back(FileUrl(output));
  return args;
}

// The encoded picture as it is, and the sound encoded beside it.
std::vector<std::string> JoinCommand(const std::string& ffmpeg, VideoFormat format,
                                     const std::string& picture, const std::string& sound,
                                     const std::string& output) {
  std::vector<std::string> args = {ffmpeg};
  AddWords(&args, "-hide_banner -nostdin -loglevel error -y -f nut -i");
  args.push_back(FileUrl(picture));
  AddWords(&args, "-f s16le -ar 44100 -ac 2 -i");
  args.push_back(FileUrl(sound));
  AddWords(&args, "-map 0:v -map 1:a -c:v copy");
  AddWords(&args, format == VideoFormat::kMp4 ? "-c:a aac -b:a 192k -movflags +faststart -f mp4"
                                              : "-c:a libopus -b:a 160k -ar 48000 -f webm");
  args.push_back(FileUrl(output));
  return args;
}

// Starts the program, its standard input `input` when not -1; -1 when it cannot be run.
pid_t Spawn(const std::vector<std::string>& args, int input, std::string* error) {
  std::vector<char*> argv;
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input >= 0) {
    posix_spawn_file_actions_adddup2(&actions, input, 0);
  }
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    *error = "cannot run " + args[0] + ": " + std::strerror(spawned);
    return -1;
  }
  return pid;
}

// Why ffmpeg failed, from its wait status; "" when it succeeded.
std::string Failure(int status) {
  if (!WIFEXITED(status)) {
    return "ffmpeg was stopped by signal " + std::to_string(WTERMSIG(status));
  }
  if (WEXITSTATUS(status) != 0) {
    return "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(status));
  }
  return "";
}

// The processor time a running process has used so far, all its threads; 0 when not known.
double ProcessorSeconds(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const std::size_t name = stat.rfind(')');  // the program's name may hold anything
  std::istringstream fields(name != std::string::npos ? stat.substr(name + 1) : "");
  std::string skipped;
  for (int field = 3; field < 14 && fields >> skipped; ++field) {
  }
  unsigned long long user = 0;
  unsigned long long system = 0;
  fields >> user >> system;
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// ffmpeg taking nothing: a span of kStallSeconds starts whenever it takes something. At the end of
// one it has stalled, unless it has been at work meanwhile (a frame of 8192x8192 in VP9 takes it
// longer), which starts another span.
class StallWatch {
 public:
  explicit StallWatch(pid_t pid) : pid_(pid) { Restart(); }

  void Restart() {
    const auto now = Clocked::now();
    deadline_ = now + kStall;
    // A file to read: at most once a second, a little before the span's start then.
    if (!sampled_ || now - sampledAt_ >= std::chrono::seconds(1)) {
      sampled_ = true;
      sampledAt_ = now;
      used_ = ProcessorSeconds(pid_);
    }
  }
  int MillisecondsLeft() const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clocked::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
  }
  // At the end of a span: whether ffmpeg is stuck.
  bool Stuck() {
    if (ProcessorSeconds(pid_) - used_ < kWorkSeconds) {
      return true;
    }
    sampled_ = false;
    Restart();
    return false;
  }

 private:
  pid_t pid_;
  Clocked::time_point deadline_;
  bool sampled_ = false;
  Clocked::time_point sampledAt_;
  double used_ = 0;
};

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
  ffmpeg_ = ffmpeg;
  format_ = format;
  path_ = path;
  frameBytes_ = static_cast<std::size_t>(width) * height * 4;
  // Beside the final name, so that the last step is a rename within one file system; its folder is
  // made when missing, as the output folder is.
  std::error_code made;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) {
    std::filesystem::create_directories(folder, made);
  }
  const int temporary = CreateTemporary(path, ".part", &temporaryPath_, error);
  if (temporary < 0) {
    return false;
  }
  // The file ffmpeg fills keeps this one's permissions: make them those of a new file.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(temporary, 0666 & ~mask);
  close(temporary);
  const int picture = CreateTemporary(path, ".picture.part", &picturePath_, error);
  if (picture < 0) {
    Stop();
    return false;
  }
  close(picture);
  const int sound = CreateTemporary(path, ".sound.part", &soundPath_, error);
  if (sound < 0 || (sound_ = fdopen(sound, "wb")) == nullptr) {
    if (sound >= 0) {
      close(sound);
    }
    Stop();
    return false;
  }

  int video[2];
  if (pipe2(video, O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe: ") + std::strerror(errno);
    Stop();
    return false;
  }
  videoFd_ = video[1];
  pid_ = Spawn(PictureCommand(ffmpeg, format, width, height, fps, picturePath_), video[0], error);
  close(video[0]);
  if (pid_ < 0) {
    Stop();
    return false;
  }
  // A write to an encoder that has gone fails with EPIPE rather than ending this process.
  signal(SIGPIPE, SIG_IGN);
  fcntl(videoFd_, F_SETFL, O_NONBLOCK);
  fcntl(videoFd_, F_SETPIPE_SZ, 1 << 20);  // a larger pipe, where the system allows it
  return true;
}

bool VideoEncoder::AddFrame(const std::uint8_t* rgba) {
  failed_ = failed_ || !Write(rgba, frameBytes_);
  return !failed_;
}

void VideoEncoder::AddSound(const std::int16_t* frames, std::size_t frameCount) {
  if (failed_ || sound_ == nullptr) {
    return;
  }
  if (std::fwrite(frames, 2 * sizeof(std::int16_t), frameCount, sound_) != frameCount) {
    error_ = "cannot write " + soundPath_ + ": " + std::strerror(errno);
    failed_ = true;
  }
}

// The pipe is ffmpeg's only input while the frames come, so it never waits on anything of ours
// but the next frame.
bool VideoEncoder::Write(const std::uint8_t* data, std::size_t size) {
  if (failed_ || pid_ < 0) {
    return false;
  }
  StallWatch watch(pid_);
  while (size > 0) {
    const ssize_t written = write(videoFd_, data, size);
    if (written > 0) {
      data += written;
      size -= static_cast<std::size_t>(written);
      watch.Restart();
      continue;
    }
    if (written < 0 && errno != EAGAIN && errno != EINTR) {
      return false;  // ffmpeg has closed its input: it has stopped, and its exit status says why
    }
    pollfd fd{videoFd_, POLLOUT, 0};
    const int ready = poll(&fd, 1, watch.MillisecondsLeft());
    if (ready < 0) {
      return false;  // interrupted by a signal to stop, or broken
    }
    if (ready == 0 && watch.Stuck()) {
      return Stalled();
    }
    if ((fd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      return false;
    }
  }
  return true;
}

// Waits until ffmpeg has read what the pipe still holds, so that one that has stopped reading is
// found out here rather than by waiting for its end for ever.
bool VideoEncoder::Drain() {
  StallWatch watch(pid_);
  int held = 0;
  int before = -1;
  while (ioctl(videoFd_, FIONREAD, &held) == 0 && held > 0) {
    pollfd fd{videoFd_, POLLOUT, 0};
    if (poll(&fd, 1, 0) > 0 && (fd.revents & (POLLERR | POLLHUP)) != 0) {
      return true;  // ffmpeg has gone: its exit status says why
    }
    if (held != before) {
      before = held;
      watch.Restart();
    } else if (watch.MillisecondsLeft() == 0 && watch.Stuck()) {
      return Stalled();
    }
    usleep(10000);
  }
  return true;
}

bool VideoEncoder::Stalled() {
  error_ = "ffmpeg stopped reading: idle for " + std::to_string(kStallSeconds) +
           " s with frames waiting";
  failed_ = true;
  Stop();
  return false;
}

int VideoEncoder::Reap(pid_t pid) {
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  cpuSeconds_ += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return status;
}

bool VideoEncoder::Finish(std::string* error) {
  if (pid_ < 0) {
    *error = error_.empty() ? "the video encoder is not running" : error_;
    Stop();
    return false;
  }
  // The frames end: ffmpeg finishes the picture and exits.
  const bool drained = Drain();
  if (!drained) {
    *error = error_;
    return false;
  }
  close(videoFd_);
  videoFd_ = -1;
  const int status = Reap(pid_);
  pid_ = -1;
  *error = Failure(status);
  if (error->empty() && failed_) {
    *error = error_.empty() ? "ffmpeg stopped taking the frames" : error_;
  }
  const bool soundKept = std::fclose(sound_) == 0;
  sound_ = nullptr;
  if (error->empty() && !soundKept) {
    *error = "cannot write " + soundPath_ + ": " + std::strerror(errno);
  }
  if (!error->empty()) {
    Stop();
    return false;
  }
  // Both inputs are whole files now: this run never waits on anything.
  const pid_t join =
      Spawn(JoinCommand(ffmpeg_, format_, picturePath_, soundPath_, temporaryPath_), -1, error);
  if (join < 0) {
    Stop();
    return false;
  }
  *error = Failure(Reap(join));
  if (error->empty() && std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
    *error = "cannot name the video " + path_ + ": " + std::strerror(errno);
  }
  if (error->empty()) {
    temporaryPath_.clear();
  }
  Stop();
  return error->empty();
}

void VideoEncoder::Stop() {
  if (videoFd_ >= 0) {
    close(videoFd_);
    videoFd_ = -1;
  }
  if (pid_ >= 0) {
    kill(pid_, SIGKILL);  // its file is being thrown away: no need to let it finish
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }
  if (sound_ != nullptr) {
    std::fclose(sound_);
    sound_ = nullptr;
  }
  for (std::string* path : {&temporaryPath_, &picturePath_, &soundPath_}) {
    if (!path->empty()) {
      unlink(path->c_str());
      path->clear();
    }
  }
}
