// The saver of each test and the ticks it runs.
#include "fixture.h"

#include "base/program_resources.h"

FakeResources ProgramSamples() {
  FakeResources resources;
  for (int id = 100; id < 200; ++id) {
    std::size_t bytes = 0;
    if (const unsigned char* image = PlatformResources().FindWave(id, &bytes)) {
      resources.waves[id].assign(image, image + bytes);
    }
  }
  return resources;
}

void RunTest::Configure(int tempo, int transient, int density) {
  Settings settings;
  settings.tempo() = tempo;
  settings.transient() = transient;
  settings.density() = density;
  ConfigureSequencer(engine, settings);
}

std::vector<TrackPlay> RunTest::Tick(std::uint32_t time) {
  saver.frameTimeMs = time;
  std::vector<SamplePlay> plays;
  SequencerTick(saver, &plays);
  std::vector<TrackPlay> tracks;
  for (const SamplePlay& play : plays) {
    tracks.emplace_back(play.sample, play.volume, play.pan);
  }
  return tracks;
}

std::vector<TrackPlay> RunTest::Ticks(std::uint32_t time) {
  std::vector<TrackPlay> plays = Tick(time);
  const std::vector<TrackPlay> second = Tick(time);
  plays.insert(plays.end(), second.begin(), second.end());
  return plays;
}
