// ostinel-render's output agrees with itself: every play of the trace is heard in the sound at its
// frame's time, the sound is the trace's plays mixed again, and the last line and picture are the
// final frame's. Reads the render that the test render_output_20s makes (CMakeLists.txt).
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <iterator>
#include <string>
#include <vector>

#include "audio/software_mixer.h"
#include "audio/wave.h"
#include "engine/sample_bank.h"
#include "json_reader.h"
#include "platform/program_resources.h"

namespace {

// The options of that render.
constexpr std::uint32_t kSeed = 7;
constexpr std::uint64_t kSeconds = 20;
constexpr std::uint64_t kFps = 60;
constexpr std::uint64_t kFrames = kSeconds * kFps;
constexpr std::uint32_t kWidth = 320;
constexpr std::uint32_t kHeight = 180;
constexpr std::uint64_t kCycleMs = 1000;  // tempo 3
constexpr double kStepMs = 125;


std::string OutputPath(const std::string& name) {
  return std::string(OSTINEL_RENDER_DIR) + "/" + name;
}

bool ReadBytes(const std::string& path, std::vector<std::uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

std::uint32_t Little32(const std::uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}
std::uint16_t Little16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
std::uint32_t Big32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
}

// The sample frame a time falls on, as the tool counts it from the render's start.
std::size_t SampleAt(std::uint64_t elapsedMs) {
  return static_cast<std::size_t>(elapsedMs * 441 / 10);
}

std::uint64_t ElapsedMs(std::uint64_t frame) {
  return frame * 1000 / kFps;
}

struct Trace {
  JsonValue header;
  std::vector<JsonValue> events;
  std::vector<JsonValue> frames;  // the frames in which samples were played
  JsonValue end;
};

class RenderOutputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::ifstream in(OutputPath("trace.jsonl"));
    std::string line;
    int number = 0;
    bool ended = false;
    while (std::getline(in, line)) {
      ++number;
      JsonValue value;
      if (!ParseJson(line, &value) || value.type != JsonValue::Type::kObject || ended) {
        problem_ = "trace line " + std::to_string(number) + " is out of place: " + line;
        return;
      }
      if (number == 1) {
        trace_.header = value;
      } else if (value.Has("end")) {
        trace_.end = value;
        ended = true;
      } else if (value.Has("event")) {
        trace_.events.push_back(value);
      } else {
        trace_.frames.push_back(value);
      }
    }
    if (!ended) {
      problem_ = "no trace, or no end line in it, in " OSTINEL_RENDER_DIR;
      return;
    }

    std::vector<std::uint8_t> wav;
    if (!ReadBytes(OutputPath("audio.wav"), &wav) || wav.size() < 44) {
      problem_ = "no audio.wav";
      return;
    }
    // The tool's own 44-byte header: PCM, stereo, 44100 Hz, 16 bits, then the data.
    const std::uint8_t* h = wav.data();
    if (std::string(h, h + 4) != "RIFF" || std::string(h + 8, h + 16) != "WAVEfmt " ||
        Little32(h + 4) != wav.size() - 8 || Little32(h + 16) != 16 || Little16(h + 20) != 1 ||
        Little16(h + 22) != 2 || Little32(h + 24) != 44100 || Little32(h + 28) != 176400 ||
        Little16(h + 32) != 4 || Little16(h + 34) != 16 || std::string(h + 36, h + 40) != "data" ||
        Little32(h + 40) != wav.size() - 44) {
      problem_ = "audio.wav's header is not 44100 Hz 16-bit stereo PCM with its true sizes";
      return;
    }
    sound_.resize((wav.size() - 44) / 2);
    for (std::size_t i = 0; i < sound_.size(); ++i) {
      sound_[i] = static_cast<std::int16_t>(Little16(h + 44 + 2 * i));
    }
  }

  void SetUp() override { ASSERT_TRUE(problem_.empty()) << problem_; }

  static const Trace& trace() { return trace_; }
  static const std::vector<std::int16_t>& sound() { return sound_; }

 private:
  static inline Trace trace_;
  static inline std::vector<std::int16_t> sound_;
  static inline std::string problem_;
};

TEST_F(RenderOutputTest, TheFirstLineHoldsTheRunsSettingsAndSetUp) {
  const JsonValue& header = trace().header;
  EXPECT_EQ(header["seed"].number, kSeed);
  EXPECT_EQ(header["fps"].number, kFps);
  EXPECT_EQ(header["start_ms"].number, 0);
  EXPECT_EQ(header["tempo"].number, 3);
  EXPECT_EQ(header["transient"].number, 2);
  EXPECT_EQ(header["density"].number, 0);
  EXPECT_EQ(header["rotation"].number, 0);
  EXPECT_EQ(header["cycle_ms"].number, kCycleMs);
  EXPECT_EQ(header["step_ms"].number, kStepMs);
  EXPECT_EQ(header["day"].type, JsonValue::Type::kBool);
  // The set-up's tilt draw is 10 to 29 degrees; without rotation the table does not spin.
  EXPECT_GE(header["tilt"].number, 10);
  EXPECT_LE(header["tilt"].number, 29);
  EXPECT_EQ(header["auto_spin"].type, JsonValue::Type::kNumber);
  EXPECT_EQ(header["auto_spin"].number, 0);
}

TEST_F(RenderOutputTest, PlaysAreListedAtTheirFrameTimesWithTheStepOfThatTime) {
  ASSERT_EQ(trace().events.size(), 1u);
  const JsonValue& event = trace().events[0];
  EXPECT_EQ(event["event"].text, "space");
  EXPECT_EQ(event["ms"].number, 0);
  EXPECT_EQ(event["frame"].number, 0);
  EXPECT_EQ(event["t"].number, 0);

  // 8 steps a second for 20 s; a step change with nothing on plays nothing, so allow some.
  EXPECT_GT(trace().frames.size(), 100u);
  double previous = -1;
  for (const JsonValue& line : trace().frames) {
    const double frame = line["frame"].number;
    ASSERT_GT(frame, previous);
    ASSERT_LT(frame, kFrames);
    previous = frame;
    const auto t = static_cast<std::uint64_t>(line["t"].number);
    EXPECT_EQ(t, ElapsedMs(static_cast<std::uint64_t>(frame))) << "frame " << frame;
    const int step = std::min(static_cast<int>((t % kCycleMs) / kStepMs), 7);
    EXPECT_EQ(line["step"].number, step) << "frame " << frame;
    ASSERT_FALSE(line["plays"].items.empty()) << "frame " << frame;
    for (const JsonValue& play : line["plays"].items) {
      ASSERT_EQ(play.items.size(), 3u);
      EXPECT_GE(play.items[0].number, 0);
      EXPECT_LT(play.items[0].number, kLoadedSlots);
      EXPECT_GE(play.items[1].number, -10000);
      EXPECT_LE(play.items[1].number, 0);
      EXPECT_GE(play.items[2].number, -10000);
      EXPECT_LE(play.items[2].number, 10000);
    }
  }
}

// The program's samples as the voices load them: interleaved left/right 16-bit frames, by slot.
std::vector<std::vector<std::int16_t>> LoadSamples() {
  std::vector<std::vector<std::int16_t>> samples(kLoadedSlots);
  for (int slot = 0; slot < kLoadedSlots; ++slot) {
    std::size_t bytes = 0;
    const unsigned char* image = PlatformResources().FindWave(SampleResourceId(slot), &bytes);
    ParsedWave wave;
    if (image == nullptr || !ParseWave(image, bytes, &wave) || wave.format.channels != 2 ||
        wave.format.bitsPerSample != 16) {
      continue;
    }
    for (std::uint32_t i = 0; i + 1 < wave.sampleBytes; i += 2) {
      samples[slot].push_back(static_cast<std::int16_t>(Little16(wave.sampleData + i)));
    }
  }
  return samples;
}

TEST_F(RenderOutputTest, SilenceUntilTheFirstPlay) {
  ASSERT_EQ(sound().size(), 2 * SampleAt(kSeconds * 1000));
  ASSERT_FALSE(trace().frames.empty());
  const std::size_t first =
      SampleAt(ElapsedMs(static_cast<std::uint64_t>(trace().frames[0]["frame"].number)));
  for (std::size_t i = 0; i < 2 * first; ++i) {
    ASSERT_EQ(sound()[i], 0) << "sound at sample frame " << i / 2 << " before the first play";
  }
}

// The trace's plays on a mixer of the test's own, as the sample voices make them.
class Remix {
 public:
  explicit Remix(const std::vector<std::vector<std::int16_t>>& samples) {
    mixer_.CreateDevice(&device_);
    // In the bank's load order: the mixer sums its buffers in the order they were made, and a
    // float sum in another order may round differently.
    for (int slot : kSampleLoadOrder) {
      const std::vector<std::int16_t>& frames = samples[slot];
      const WaveFormat format = StereoPcm44100();
      SoundBufferDesc desc;
      desc.flags = kDsbcapsStatic | kDsbcapsCtrlPan | kDsbcapsCtrlVolume;
      desc.bufferBytes = static_cast<std::uint32_t>(frames.size() * 2);
      desc.format = &format;
      if (frames.empty() || device_->CreateSoundBuffer(desc, &buffers_[slot]) != kDsOk) {
        buffers_[slot] = nullptr;
        continue;
      }
      void* region = nullptr;
      std::uint32_t regionBytes = 0;
      buffers_[slot]->Lock(0, 0, &region, &regionBytes, kDsblockEntireBuffer);
      std::copy(frames.begin(), frames.end(), static_cast<std::int16_t*>(region));
      buffers_[slot]->Unlock(region, regionBytes);
    }
  }
  ~Remix() {
    for (SoundBuffer* buffer : buffers_) {
      if (buffer != nullptr) {
        buffer->Release();
      }
    }
    device_->Release();
  }

  bool Loaded(int slot) const { return buffers_[slot] != nullptr; }

  // Mixes on up to sample frame `end`.
  void RenderTo(std::size_t end, std::vector<std::int16_t>* out) {
    const std::size_t from = out->size() / 2;
    out->resize(2 * end);
    mixer_.Render(out->data() + 2 * from, end - from);
  }

  // As SampleVoice::Play does it: from the start, volume, pan, one shot.
  void Play(int slot, std::int32_t volume, std::int32_t pan) {
    buffers_[slot]->SetCurrentPosition(0);
    buffers_[slot]->SetVolume(volume);
    buffers_[slot]->SetPan(pan);
    buffers_[slot]->Play(0, 0, 0);
  }

 private:
  SoftwareMixer mixer_;
  SoundDevice* device_ = nullptr;
  SoundBuffer* buffers_[kLoadedSlots] = {};
};

TEST_F(RenderOutputTest, TheSoundIsTheTracesPlaysMixedAgain) {
  Remix remix(LoadSamples());
  for (int slot = 0; slot < kLoadedSlots; ++slot) {
    ASSERT_TRUE(remix.Loaded(slot)) << "slot " << slot;
  }
  std::vector<std::int16_t> mixed;
  for (const JsonValue& line : trace().frames) {
    remix.RenderTo(SampleAt(ElapsedMs(static_cast<std::uint64_t>(line["frame"].number))), &mixed);
    for (const JsonValue& play : line["plays"].items) {
      remix.Play(static_cast<int>(play.items[0].number),
                 static_cast<std::int32_t>(play.items[1].number),
                 static_cast<std::int32_t>(play.items[2].number));
    }
  }
  remix.RenderTo(SampleAt(kSeconds * 1000), &mixed);
  ASSERT_EQ(mixed.size(), sound().size());
  for (std::size_t i = 0; i < mixed.size(); ++i) {
    ASSERT_EQ(sound()[i], mixed[i]) << "first difference at " << (i / 2) / 44.1 << " ms";
  }
}

TEST_F(RenderOutputTest, TheLastLineIsTheFinalFramesState) {
  const JsonValue& end = trace().end;
  EXPECT_TRUE(end["end"].boolean);
  EXPECT_EQ(end["frames"].number, kFrames);
  const std::string& pattern = end["pattern"].text;
  EXPECT_EQ(pattern.size(), 200u);
  EXPECT_EQ(pattern.find_first_not_of("01"), std::string::npos) << pattern;
  EXPECT_NE(pattern.find('1'), std::string::npos) << "the transform left the pattern empty";
  const std::string& muted = end["muted"].text;
  EXPECT_EQ(muted.size(), 25u);
  EXPECT_EQ(muted.find_first_not_of("01"), std::string::npos) << muted;
  EXPECT_GE(end["accent"].number, 0);
  EXPECT_LT(end["accent"].number, 25);
  EXPECT_EQ(end["day"].type, JsonValue::Type::kBool);
  EXPECT_EQ(end["spin"].type, JsonValue::Type::kNumber);
  EXPECT_EQ(end["spin"].number, 0);  // no rotation, no drag
  const std::uint64_t last = ElapsedMs(kFrames - 1);
  EXPECT_EQ(end["step"].number, std::min(static_cast<int>((last % kCycleMs) / kStepMs), 7));
}

struct Png {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rows;  // filter byte and RGB, row by row, top first
};

// Checks the layout the tool writes: signature, IHDR, IDAT, IEND, every CRC right.
::testing::AssertionResult ReadPng(const std::string& path, Png* png) {
  std::vector<std::uint8_t> bytes;
  if (!ReadBytes(path, &bytes)) {
    return ::testing::AssertionFailure() << "no " << path;
  }
  const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (bytes.size() < 8 || !std::equal(kSignature, kSignature + 8, bytes.begin())) {
    return ::testing::AssertionFailure() << path << " is not a PNG";
  }
  std::vector<std::string> types;
  std::vector<std::uint8_t> packed;
  for (std::size_t at = 8; at + 12 <= bytes.size();) {
    const std::uint32_t length = Big32(&bytes[at]);
    if (length > bytes.size() - at - 12) {
      return ::testing::AssertionFailure() << path << ": a chunk runs past the end";
    }
    const std::uint8_t* type = &bytes[at + 4];
    const std::uint8_t* data = type + 4;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), type, length + 4);
    if (crc != Big32(data + length)) {
      return ::testing::AssertionFailure() << path << ": bad CRC";
    }
    types.emplace_back(type, type + 4);
    if (types.back() == "IHDR" && length == 13) {
      png->width = Big32(data);
      png->height = Big32(data + 4);
      if (data[8] != 8 || data[9] != 2 || data[10] != 0 || data[11] != 0 || data[12] != 0) {
        return ::testing::AssertionFailure() << path << ": not 8-bit RGB";
      }
    } else if (types.back() == "IDAT") {
      packed.insert(packed.end(), data, data + length);
    }
    at += 12 + length;
  }
  if (types != std::vector<std::string>{"IHDR", "IDAT", "IEND"}) {
    return ::testing::AssertionFailure() << path << ": chunks out of order";
  }
  png->rows.resize((static_cast<std::size_t>(png->width) * 3 + 1) * png->height);
  uLongf size = png->rows.size();
  if (uncompress(png->rows.data(), &size, packed.data(), packed.size()) != Z_OK ||
      size != png->rows.size()) {
    return ::testing::AssertionFailure() << path << ": the pixels do not unpack to its size";
  }
  return ::testing::AssertionSuccess();
}

std::string PictureName(std::uint64_t frame) {
  char name[32];
  std::snprintf(name, sizeof name, "frame_%05llu.png", static_cast<unsigned long long>(frame));
  return name;
}

TEST_F(RenderOutputTest, PicturesComeOnceASecondAndOfTheLastFrame) {
  std::vector<std::uint64_t> frames;
  for (std::uint64_t frame = 0; frame < kFrames; frame += kFps) {
    frames.push_back(frame);
  }
  frames.push_back(kFrames - 1);
  for (std::uint64_t frame : frames) {
    Png png;
    ASSERT_TRUE(ReadPng(OutputPath(PictureName(frame)), &png));
    EXPECT_EQ(png.width, kWidth) << frame;
    EXPECT_EQ(png.height, kHeight) << frame;
  }
  std::ifstream none(OutputPath(PictureName(1)));
  EXPECT_FALSE(none.good()) << "a picture between seconds";
}

TEST_F(RenderOutputTest, TheLastPictureShowsTheBoxesOnTheFinalBackground) {
  Png png;
  ASSERT_TRUE(ReadPng(OutputPath(PictureName(kFrames - 1)), &png));
  const std::size_t stride = static_cast<std::size_t>(png.width) * 3 + 1;
  std::map<std::uint32_t, int> colours;
  for (std::uint32_t y = 0; y < png.height; ++y) {
    ASSERT_EQ(png.rows[y * stride], 0) << "row " << y << " is filtered";
    for (std::uint32_t x = 0; x < png.width; ++x) {
      const std::uint8_t* p = &png.rows[y * stride + 1 + 3 * x];
      ++colours[static_cast<std::uint32_t>(p[0] << 16 | p[1] << 8 | p[2])];
    }
  }
  // The boxes of the 25 tracks, on and off, current step or not: many colours.
  EXPECT_GT(colours.size(), 20u);
  // The table leaves the corners to the background: black by night, a light grey by day.
  const std::uint8_t* corner = &png.rows[1];
  if (trace().end["day"].boolean) {
    EXPECT_GT(corner[0], 200);
    EXPECT_NEAR(corner[0], corner[1], 4);
    EXPECT_NEAR(corner[1], corner[2], 4);
  } else {
    EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
  }
}

}  // namespace
