// The rhythm engine inside frames: tempo from the settings, when samples sound and how loud and
// where, what the step-7 dice write, the user's edits, and the bank the tracks play.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>

#include "base/little_endian.h"
#include "core/sample_bank.h"
#include "fixture.h"

#include "simulated_sound.h"

namespace {

// The cells that are not `from`, as "track:step ...", and the muted tracks, as "track ...".
std::string CellsNot(const EngineState& engine, int from) {
  std::string cells;
  for (int cell = 0; cell < engine.trackCount * kSteps; ++cell) {
    if (engine.PatternMatrix[cell] != from) {
      cells +=
          (cells.empty() ? "" : " ") + std::to_string(cell / 8) + ":" + std::to_string(cell % 8);
    }
  }
  return cells;
}

std::string Muted(const EngineState& engine) {
  std::string muted;
  for (int t = 0; t < engine.trackCount; ++t) {
    muted += engine.trackMuted[t] != 0 ? (muted.empty() ? "" : " ") + std::to_string(t) : "";
  }
  return muted;
}

}  // namespace

TEST_F(RunTest, SettingsGiveTempoDensityAndMutationChance) {
  struct Case {
    int tempo, transient, density;
    std::int32_t cycle;
    float step;
    std::int32_t divisor, chance;
  };
  const Case cases[] = {
      {0, 0, 0, 2000, 250.0f, 8, 2000},
      {1, 1, 1, 1500, 187.5f, 5, 6000},
      {2, 2, 2, 1200, 150.0f, 2, 18000},
      {3, 7, -1, 1000, 125.0f, 2, 18000},
      {4, -1, 9, 857, 107.125f, 2, 18000},
      {5, 0, 0, 750, 93.75f, 8, 2000},
      {6, 0, 0, 666, 83.25f, 8, 2000},
      {9, 0, 0, 500, 62.5f, 8, 2000},
      // Indexes that would give no positive bar take the nearest one that does.
      {std::numeric_limits<int>::min(), 0, 0, 6000, 750.0f, 8, 2000},
      {std::numeric_limits<int>::max(), 0, 0, 1, 0.125f, 8, 2000},
  };
  for (const Case& c : cases) {
    Configure(c.tempo, c.transient, c.density);
    EXPECT_EQ(engine.cyclePeriodMs, c.cycle) << c.tempo;
    EXPECT_EQ(engine.stepPeriodMs, c.step) << c.tempo;
    EXPECT_EQ(engine.densityDivisor, c.divisor) << c.density;
    EXPECT_EQ(engine.mutationChance, c.chance) << c.transient;
  }
}

TEST_F(RunTest, StepsFollowTheClockAndANewStepSoundsItsUnmutedCellsOnce) {
  Configure(4);  // "140": step 1 begins at 108 ms into the bar, step 7 at 750
  const std::pair<std::uint32_t, int> steps[] = {
      {107, 0}, {108, 1}, {749, 6}, {750, 7}, {857 * 1000 + 108, 1}, {0xffffffffu, 3}};
  for (const auto& [time, step] : steps) {
    Tick(time);
    EXPECT_EQ(engine.currentStep, step) << time;
  }
  engine = EngineState();
  Configure(3);
  engine.mutationChance = 0;
  std::fill(engine.PatternMatrix, engine.PatternMatrix + 200, 1);
  engine.trackMuted[4] = 1;
  engine.PatternMatrix[7 * kSteps + 1] = 0;
  EXPECT_TRUE(Ticks(0).empty()) << "step 0, as previousStep starts: nothing";
  std::vector<int> tracks;
  for (const TrackPlay& play : Ticks(130)) {  // step 1, two ticks: one play per track
    tracks.push_back(std::get<0>(play));
  }
  EXPECT_EQ(tracks, (std::vector<int>{0,  1,  2,  3,  5,  6,  8,  9,  10, 11, 12, 13,
                                      14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}));
  EXPECT_TRUE(Ticks(200).empty()) << "still step 1";
}

TEST_F(RunTest, LevelsAndPansFollowDayNightAccentAndSpin) {
  struct Case {
    bool day;
    float spin;
    std::vector<TrackPlay> plays;  // tracks 0, 12 (the accent) and 24
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
    for (int track : {0, 12, 24}) {
      engine.PatternMatrix[track * kSteps + 2] = 1;
    }
    engine.trackLevel[12] = 0.2f;
    view.dayMode = c.day;
    view.tableSpin = c.spin;
    EXPECT_EQ(Ticks(260), c.plays) << "day " << c.day << " spin " << c.spin;  // step 2
  }
}

TEST_F(RunTest, TheDiceAtStepSevenWriteWhatTheirDrawsSay) {
  struct Case {
    const char* what;
    std::uint32_t seed;  // chosen for the draws named
    int transient, density;
    bool full;            // the pattern starts full rather than empty
    const char* changed;  // the cells the tick changed, "track:step ..."
    const char* muted;    // the muted tracks after it
    int accent;           // the accent starts at track 5, at level 0.2
    bool dayFlipped;
  };
  const Case cases[] = {
      {"seed 10: draw 71 bursts; nearly full, draws 3272 and 13694 write 24:6 on", 10, 0, 2, false,
       "6:3 15:7 24:0 24:6", "", 5, false},
      {"a first draw of 2000 is no burst at slow", 159446593, 0, 0, false, "", "", 5, false},
      {"but it is at midium; its mute draw mutes", 159446593, 1, 0, false, "11:3", "24", 17, false},
      {"an accent draw of 400 moves nothing", 3164089046, 0, 0, false, "", "", 5, false},
      {"one of 399 moves it", 4139700495, 0, 0, false, "", "", 13, false},
      {"a clearing draw of 40 clears nothing", 2223252815, 0, 0, true, "", "", 5, false},
      {"one of 39 clears twenty draws' cells", 1788290383, 0, 0, true,
       "6:0 6:3 7:2 7:4 8:4 8:5 9:2 9:4 12:4 13:3 13:7 14:0 14:4 19:1 19:2 22:0 22:5 23:1 23:6", "",
       5, false},
      {"a day draw of 10 keeps the look", 4109662332, 0, 0, false, "", "", 5, false},
      {"one of 9 switches it", 4232280188, 0, 0, false, "", "", 5, true},
  };
  for (const Case& c : cases) {
    engine = EngineState();
    Configure(3, c.transient, c.density);
    std::fill(engine.PatternMatrix, engine.PatternMatrix + 200, c.full ? 1 : 0);
    engine.accentTrack = 5;
    engine.trackLevel[5] = 0.2f;
    view.dayMode = false;
    Seed(c.seed);
    Tick(900);
    EXPECT_EQ(CellsNot(engine, c.full ? 1 : 0), c.changed) << c.what;
    EXPECT_EQ(Muted(engine), c.muted) << c.what;
    EXPECT_EQ(engine.accentTrack, c.accent) << c.what;
    EXPECT_EQ(engine.trackLevel[c.accent], 0.2f) << c.what;
    EXPECT_EQ(engine.trackLevel[5], c.accent == 5 ? 0.2f : 1.0f) << c.what << ": the old accent";
    EXPECT_EQ(view.dayMode, c.dayFlipped) << c.what;
  }
  EXPECT_EQ(view.background.red, 0.984f) << "the dice's day is the bright one";
  EXPECT_EQ(view.background.blue, 0.973f);
}

TEST_F(RunTest, ResetReplaysFromSeedTenAndTransformWritesItsDraws) {
  std::fill(engine.PatternMatrix, engine.PatternMatrix + 200, 1);
  engine.trackMuted[3] = 1;
  engine.accentTrack = 5;
  ResetMatrix(engine, saver.random);
  EXPECT_EQ(CellsNot(engine, 0) + Muted(engine), "");
  EXPECT_EQ(engine.accentTrack, 5);
  TransformMatrix(engine, saver.random);
  // 300 times five draws from seed 10; the first picks track 21, on at 3, off at 0 and 6.
  const char* pattern =
      "00100100100001001000100101001000111000000000110001000000001001000001000001000111"
      "11000010000000010011000000010010000011000100010001010000000101010101100010011001"
      "1000100010001000111000000001010010010000";
  std::string actual;
  for (int cell = 0; cell < 200; ++cell) {
    actual += engine.PatternMatrix[cell] != 0 ? '1' : '0';
  }
  EXPECT_EQ(actual, pattern);
  EXPECT_EQ(Muted(engine), "1 7 11 12 15 18 19 21 22 23");
  EXPECT_EQ(Draw(), 17355) << "the 1501st draw after seed 10";
}

TEST_F(RunTest, TheBankLoadsEachSlotFromItsResourceInOrder) {
  SimulatedSoundSystem sound;
  VoiceBank bank;
  bank.device.system = &sound;
  bank.device.resources = &resources;
  LoadSampleBank(bank, 1);
  EXPECT_EQ(resources.asked,
            (std::vector<int>{133, 134, 135, 136, 137, 138, 139, 140, 141, 142, 143, 144, 145,
                              146, 148, 149, 150, 151, 147, 152, 153, 154, 155, 157, 158}));
  for (int slot = 0; slot < 25; ++slot) {
    char name[64];
    std::snprintf(name, sizeof name, OSTINEL_SOURCE_DIR "/resources/samples/slot%02d.wav", slot);
    std::ifstream file(name, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_GT(bytes.size(), 44u) << name;
    const std::size_t size = Get32(&bytes[40]);
    const SampleVoice& voice = bank[slot];
    EXPECT_TRUE(
        std::vector<unsigned char>(voice.sampleData, voice.sampleData + voice.sampleBytes) ==
        std::vector<unsigned char>(&bytes[44], &bytes[44] + size))
        << "slot " << slot;
  }
  sound.NewCalls();
  PlayOnVoices(bank, {{27, 0, 0, 0.0}, {3, -400, 500, 0.0}});
  EXPECT_EQ(sound.NewCalls(), (Calls{"b8.SetCurrentPosition 0", "b8.SetVolume -400",
                                     "b8.SetPan 500", "b8.Play 0 0 0"}))
      << "slots 25 to 29 hold nothing; slot 3, loaded fourth, plays from its start";
}
