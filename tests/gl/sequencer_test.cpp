// The step sequencer: tempo, when samples are triggered and with what level and pan, the step-7
// dice and the user's edits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "app/saver_context.h"
#include "display/gl.h"
#include "display/view.h"
#include "engine/random.h"
#include "engine/sequencer.h"
#include "scene_environment.h"

namespace {

class SequencerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SceneContext();
    engine = EngineState();
    view = ViewState();
    NewPlays();
  }

  static void Configure(int tempo, int transient = 0, int density = 0) {
    SaverContext context;
    context.params[kTempoParam] = tempo;
    context.params[kTransientParam] = transient;
    context.params[kDensityParam] = density;
    ConfigureSequencer(context);
  }

  // A frame's two ticks at `time`.
  static void Frame(std::uint32_t time) {
    frameTimeMs = time;
    SequencerTick();
    SequencerTick();
  }

  static void AllOn() {
    for (int i = 0; i < engine.trackCount * kSteps; ++i) {
      engine.PatternMatrix[i] = 1;
    }
  }
};

// The draws a call makes, counted by replaying the generator from the same seed.
int DrawsMadeBy(std::uint32_t seed, void (*action)()) {
  SeedRandom(seed);
  action();
  const int next = DrawRandom();
  SeedRandom(seed);
  for (int count = 0; count < 100000; ++count) {
    if (DrawRandom() == next) {
      return count;
    }
  }
  return -1;
}

}  // namespace

TEST_F(SequencerTest, SettingsGiveTempoDensityAndMutationChance) {
  struct Case {
    int tempo, transient, density;
    std::int32_t cycle;
    float step;
    std::int32_t divisor, chance;
  };
  const int kMax = std::numeric_limits<std::int32_t>::max();
  const int kMin = std::numeric_limits<std::int32_t>::min();
  const Case cases[] = {
      {0, 0, 0, 2000, 250.0f, 8, 2000},     {1, 1, 1, 1500, 187.5f, 5, 6000},
      {2, 2, 2, 1200, 150.0f, 2, 18000},    {3, 7, -1, 1000, 125.0f, 2, 18000},
      {4, -1, 9, 857, 107.125f, 2, 18000},  {5, 0, 0, 750, 93.75f, 8, 2000},
      {6, 0, 0, 666, 83.25f, 8, 2000},      {9, 0, 0, 500, 62.5f, 8, 2000},
      // Indexes that would give no positive bar take the nearest that does.
      {-2, 0, 0, 6000, 750.0f, 8, 2000},    {-3, 0, 0, 6000, 750.0f, 8, 2000},
      {kMin, 0, 0, 6000, 750.0f, 8, 2000},  {5997, 0, 0, 1, 0.125f, 8, 2000},
      {5998, 0, 0, 1, 0.125f, 8, 2000},     {kMax, 0, 0, 1, 0.125f, 8, 2000},
  };
  for (const Case& c : cases) {
    Configure(c.tempo, c.transient, c.density);
    EXPECT_EQ(engine.cyclePeriodMs, c.cycle) << c.tempo;
    EXPECT_EQ(engine.stepPeriodMs, c.step) << c.tempo;
    EXPECT_EQ(engine.densityDivisor, c.divisor) << c.density;
    EXPECT_EQ(engine.mutationChance, c.chance) << c.transient;
  }
}

TEST_F(SequencerTest, StepsFollowTheClockIncludingItsWrap) {
  struct Case {
    int tempo;
    std::uint32_t time;
    int step;
  };
  const Case cases[] = {
      {4, 107, 0},  {4, 108, 1},  {4, 749, 6},  {4, 750, 7},  {4, 856, 7}, {4, 857, 0},
      {4, 857 * 1000 + 108, 1},
      // The timer's last millisecond is 385 ms into a bar of 857 (step 3); then it wraps to 0.
      {4, 0xffffffffu, 3}, {4, 0, 0},
      {5997, 0xffffffffu, 0},  // a 1 ms bar: every millisecond is step 0
      {3, 0xffffffffu, 2},    // 4294967295 mod 1000 = 295
  };
  for (const Case& c : cases) {
    Configure(c.tempo);
    frameTimeMs = c.time;
    SequencerTick();
    EXPECT_EQ(engine.currentStep, c.step) << c.tempo << " at " << c.time;
  }
}

TEST_F(SequencerTest, ANewStepPlaysOnceAndOnlyUnmutedOnCells) {
  Configure(3);
  AllOn();
  engine.trackMuted[4] = 1;
  engine.PatternMatrix[7 * kSteps + 1] = 0;
  engine.mutationChance = 0;

  Frame(0);  // step 0, as previousStep starts: nothing
  EXPECT_TRUE(NewPlays().empty());
  Frame(130);  // step 1, two ticks
  const std::vector<TrackPlay> plays = NewPlays();
  std::vector<int> tracks;
  for (const TrackPlay& play : plays) {
    tracks.push_back(std::get<0>(play));
  }
  std::vector<int> expected;
  for (int t = 0; t < 25; ++t) {
    if (t != 4 && t != 7) {
      expected.push_back(t);
    }
  }
  EXPECT_EQ(tracks, expected);
  Frame(200);  // still step 1
  EXPECT_TRUE(NewPlays().empty());
}

TEST_F(SequencerTest, LevelsAndPansFollowDayNightAccentAndSpin) {
  struct Case {
    bool day;
    float spin;
    std::vector<TrackPlay> plays;  // tracks 0, 12, 24; track 12 is the accent
  };
  const Case cases[] = {
      {true, 0.0f, {{0, -1000, -10000}, {12, -200, -400}, {24, -1000, 9200}}},
      {false, 0.0f, {{0, -2000, -10000}, {12, -400, -400}, {24, -2000, 9200}}},
      {true, 90.0f, {{0, -1000, 0}, {12, -200, 0}, {24, -1000, 0}}},
      {true, 180.0f, {{0, -1000, 9999}, {12, -200, 399}, {24, -1000, -9199}}},
  };
  for (const Case& c : cases) {
    engine = EngineState();
    Configure(3);
    engine.mutationChance = 0;
    for (int track : {0, 12, 24}) {
      engine.PatternMatrix[track * kSteps + 2] = 1;
    }
    engine.trackLevel[12] = 0.2f;
    view.dayMode = c.day;
    view.tableSpin = c.spin;
    Frame(260);  // step 2
    EXPECT_EQ(NewPlays(), c.plays) << "day " << c.day << " spin " << c.spin;
  }
}

TEST_F(SequencerTest, DiceRollOnEveryTickAtStepSevenOnly) {
  Configure(3);
  struct Case {
    const char* what;
    std::uint32_t time;
    std::int32_t chance;
    int draws;
  };
  const std::uint32_t quiet = SeedWhere([](const std::vector<int>& d) {
    return d[1] >= 400 && d[2] >= 40 && d[3] >= 10;
  });
  const std::uint32_t afterBurst = SeedWhere(
      [](const std::vector<int>& d) { return d[53] >= 400 && d[54] >= 40 && d[55] >= 10; }, 56);
  const Case cases[] = {
      {"step 6 rolls nothing", 800, 32768, 0},
      {"step 7 rolls four tests", 900, 0, 4},
      {"a mutation burst is 52 more draws", 900, 32768, 56},
  };
  for (const Case& c : cases) {
    engine.mutationChance = c.chance;
    frameTimeMs = c.time;
    EXPECT_EQ(DrawsMadeBy(c.draws == 56 ? afterBurst : quiet, [] { SequencerTick(); }), c.draws)
        << c.what;
  }
  engine.mutationChance = 0;
  frameTimeMs = 900;
  EXPECT_EQ(DrawsMadeBy(quiet, [] { Frame(900); }), 8) << "both ticks of a frame roll";
}

TEST_F(SequencerTest, AccentMoveSetsLevelsAndDayDiceBrightenTheBackground) {
  Configure(3);
  engine.mutationChance = 0;
  // Draws: mutation test, accent test (< 400), new accent, clearing test, day test (< 10).
  const std::uint32_t seed = SeedWhere([](const std::vector<int>& d) {
    return d[1] < 400 && d[2] % 25 != 0 && d[3] >= 40 && d[4] < 10;
  });
  const int accent = DrawsFrom(seed, 3)[2] % 25;
  view.dayMode = false;
  SeedRandom(seed);
  frameTimeMs = 900;
  SequencerTick();
  EXPECT_EQ(engine.accentTrack, accent);
  EXPECT_EQ(engine.trackLevel[accent], 0.2f);
  EXPECT_EQ(engine.trackLevel[0], 1.0f);
  EXPECT_TRUE(view.dayMode);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_NEAR(clear[0], 0.984f, 1e-6);
  EXPECT_NEAR(clear[1], 0.986f, 1e-6);
  EXPECT_NEAR(clear[2], 0.973f, 1e-6);
}

TEST_F(SequencerTest, ResetThenTransformReplaysFromSeedTen) {
  AllOn();
  engine.trackMuted[3] = 1;
  engine.accentTrack = 5;
  ResetMatrix();
  for (int i = 0; i < engine.trackCount * kSteps; ++i) {
    ASSERT_EQ(engine.PatternMatrix[i], 0);
  }
  EXPECT_EQ(engine.trackMuted[3], 0);
  EXPECT_EQ(engine.accentTrack, 5);

  // The transform's five draws a time, in order, replayed on a model of the pattern.
  TransformMatrix();
  std::vector<int> model(25 * kSteps, 0);
  std::vector<int> muted(25, 0);
  const std::vector<int> draws = DrawsFrom(10, 1500);
  ASSERT_EQ(draws[0] % 25, 21);  // the first time picks track 21: on at 3, off at 0 and 6
  ASSERT_EQ(draws[1] % 8, 3);
  ASSERT_EQ(draws[2] % 8, 0);
  ASSERT_EQ(draws[3] % 8, 6);
  ASSERT_NE(draws[4] % 3, 0);
  for (int time = 0; time < 300; ++time) {
    const int* d = &draws[time * 5];
    const int track = d[0] % 25;
    model[track * kSteps + d[1] % 8] = 1;
    model[track * kSteps + d[2] % 8] = 0;
    model[track * kSteps + d[3] % 8] = 0;
    muted[track] = d[4] % 3 == 0;
  }
  for (int i = 0; i < 25 * kSteps; ++i) {
    EXPECT_EQ(engine.PatternMatrix[i], model[i]) << "cell " << i;
  }
  for (int t = 0; t < 25; ++t) {
    EXPECT_EQ(engine.trackMuted[t], muted[t]) << "track " << t;
  }
  EXPECT_EQ(DrawRandom(), DrawsFrom(10, 1501)[1500]) << "exactly 1500 draws";
}

TEST_F(SequencerTest, TheSpinStaysWithinOneTurnAfterHoursOfFrames) {
  view.tableRotation = 1;
  view.autoSpinRate = 0.499f;
  view.spinVelocity = 0.0f;
  view.tiltPhaseSet = true;
  for (int frame = 0; frame < 200000; ++frame) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    UpdateCamera();
  }
  EXPECT_GT(view.tableSpin, -360.0f);
  EXPECT_LT(view.tableSpin, 360.0f);
  // 200000 frames of 0.499 degrees: 80 degrees past whole turns, to within the rounding of the
  // additions (unwrapped, the float sum would be off by about 100 degrees by now).
  EXPECT_NEAR(view.tableSpin, std::fmod(200000 * 0.499, 360.0), 2.0);
}
