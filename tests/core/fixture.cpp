// The recorded sample bank, loaded once for the process: the bank's static voices release into the
// device at exit.
#include "fixture.h"

#include <map>

#include "base/program_resources.h"
#include "core/sample_bank.h"
#include "core/saver_run.h"
#include "simulated_sound.h"

namespace {

struct Bank {
  SimulatedSoundSystem sound;
  FakeClock clock;
  FakeResources resources;
  std::map<std::string, int> trackOfBuffer;

  Bank() {
    // The program's own samples, in a store that notes what is asked of it.
    for (int id = 100; id < 200; ++id) {
      std::size_t bytes = 0;
      if (const unsigned char* image = PlatformResources().FindWave(id, &bytes)) {
        resources.waves[id].assign(image, image + bytes);
      }
    }
    SaverContext context;
    BeginRun(kSaver, context, RunPlatform{clock, &sound, resources}, 0);
    LoadSampleBank(1);
    EndRun();
    // Each load makes a primary and then a voice buffer: b1 b2 for the first slot loaded, ...
    for (int load = 0; load < kLoadedSlots; ++load) {
      trackOfBuffer["b" + std::to_string(2 * load + 2)] = kSampleLoadOrder[load];
    }
    sound.NewCalls();
  }
};

Bank& TheBank() {
  static Bank* bank = new Bank;
  return *bank;
}

}  // namespace

void RunTest::SetUp() {
  Bank& bank = TheBank();
  BeginRun(kSaver, context, RunPlatform{clock, &bank.sound, bank.resources}, clock.milliseconds);
  NewPlays();
}

void RunTest::TearDown() {
  EndRun();
  runMode = kNoRunMode;
}

void RunTest::Configure(int tempo, int transient, int density) {
  SaverContext settings;
  settings.params[kTempoParam] = tempo;
  settings.params[kTransientParam] = transient;
  settings.params[kDensityParam] = density;
  ConfigureSequencer(settings);
}

void RunTest::Ticks(std::uint32_t time) {
  frameTimeMs = time;
  SequencerTick();
  SequencerTick();
}

std::vector<TrackPlay> RunTest::NewPlays() {
  std::vector<TrackPlay> plays;
  int volume = 0, pan = 0;
  for (const std::string& call : TheBank().sound.NewCalls()) {
    const std::size_t dot = call.find('.'), space = call.find(' ');
    const std::string what = call.substr(dot + 1, space - dot - 1);
    if (what == "SetVolume") {
      volume = std::stoi(call.substr(space));
    } else if (what == "SetPan") {
      pan = std::stoi(call.substr(space));
    } else if (what == "Play") {
      plays.emplace_back(TheBank().trackOfBuffer.at(call.substr(0, dot)), volume, pan);
    }
  }
  return plays;
}

const std::vector<int>& RunTest::AskedResources() {
  return TheBank().resources.asked;
}
