// Synthesises the saver's 25 drum samples and writes them as DIR/slot00.wav ... DIR/slot24.wav.
// Its output is committed in resources/samples/; a unit test rebuilds it and compares the bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/little_endian.h"

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kLn2 = 0.69314718055994530942;

// ---------------------------------------------------------------------------------------------
// Arithmetic with the same bits in every build. libm's sin and exp and the compiler's constant
// folding of them do not always round alike, so an optimised build could drift from a debug one
// by a unit in the last place. SinTurns and Exp below use only + - * /, floor and ldexp, which
// IEEE 754 pins down exactly.

// sin(2 pi turns): taking the angle in turns keeps the range reduction exact.
double SinTurns(double turns) {
  double x = turns - std::floor(turns);  // [0, 1)
  if (x >= 0.5) {
    x -= 1.0;  // [-0.5, 0.5)
  }
  if (x > 0.25) {
    x = 0.5 - x;
  } else if (x < -0.25) {
    x = -0.5 - x;  // folded into [-0.25, 0.25], where the series below is good to 1e-13
  }
  const double t = 2.0 * kPi * x;
  const double t2 = t * t;
  double sum = 1.0;
  for (int k = 16; k >= 2; k -= 2) {
    sum = 1.0 - t2 / (k * (k + 1)) * sum;
  }
  return t * sum;
}

double CosTurns(double turns) {
  return SinTurns(turns + 0.25);
}

double Exp(double x) {
  if (x < -700.0) {
    return 0.0;
  }
  const double k = std::floor(x / kLn2 + 0.5);
  const double r = x - k * kLn2;  // |r| <= ln2 / 2
  double sum = 1.0;
  for (int n = 14; n >= 1; --n) {
    sum = 1.0 + r / n * sum;
  }
  return std::ldexp(sum, static_cast<int>(k));
}

double Tanh(double x) {
  if (x > 20.0) {
    return 1.0;
  }
  if (x < -20.0) {
    return -1.0;
  }
  return 1.0 - 2.0 / (Exp(2.0 * x) + 1.0);
}

// Equal-tempered pitch of a MIDI note; the tonal slots sit in A minor.
double Note(int midi) {
  return 440.0 * Exp((midi - 69) * kLn2 / 12.0);
}

// Exponential fall with time constant tau (seconds).
double Decay(double t, double tau) {
  return Exp(-t / tau);
}

// A shape that rises as a power of t up to its top at `peak`, then falls with time constant tau.
double Swell(double t, double peak, int power, double tau) {
  if (t < peak) {
    const double x = t / peak;
    double y = 1.0;
    for (int i = 0; i < power; ++i) {
      y *= x;
    }
    return y;
  }
  return Decay(t - peak, tau);
}

// ---------------------------------------------------------------------------------------------
// Sources and filters.

// xorshift32: the same white noise on every platform, one fixed seed per use.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed != 0 ? seed : 1) {}
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return (static_cast<double>(state_) - 2147483648.0) / 2147483648.0;
  }

 private:
  std::uint32_t state_;
};

// Smooths the jump of a saw or square edge over one sample each side, so the tonal slots do not
// alias into audible whistles.
double PolyBlep(double phase, double step) {
  if (phase < step) {
    const double t = phase / step;
    return t + t - t * t - 1.0;
  }
  if (phase > 1.0 - step) {
    const double t = (phase - 1.0) / step;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

// A phase accumulator in turns: the frequency may change on every sample (pitch sweeps).
class Osc {
 public:
  explicit Osc(double phase = 0.0) : phase_(phase) {}
  double Sine(double freq) {
    const double value = SinTurns(phase_);
    Advance(freq);
    return value;
  }
  double Saw(double freq) {
    const double step = freq / kRate;
    const double value = 2.0 * phase_ - 1.0 - PolyBlep(phase_, step);
    Advance(freq);
    return value;
  }
  double Square(double freq) {
    const double step = freq / kRate;
    double half = phase_ + 0.5;
    half -= std::floor(half);
    const double value =
        (phase_ < 0.5 ? 1.0 : -1.0) + PolyBlep(phase_, step) - PolyBlep(half, step);
    Advance(freq);
    return value;
  }
  // Phase modulation by `offset` turns, for the FM bell.
  double SineShifted(double freq, double offset) {
    const double value = SinTurns(phase_ + offset);
    Advance(freq);
    return value;
  }

 private:
  void Advance(double freq) {
    phase_ += freq / kRate;
    phase_ -= std::floor(phase_);
  }
  double phase_;
};

// Six square waves at inharmonic ratios: the clang under 808-style hats and cymbals; `scale`
// moves the whole cluster up or down.
class Metal {
 public:
  explicit Metal(double scale) : scale_(scale) {
    for (int i = 0; i < 6; ++i) {
      osc_[i] = Osc(0.13 * i);
    }
  }
  double Next() {
    static const double kFreqs[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double sum = 0.0;
    for (int i = 0; i < 6; ++i) {
      sum += osc_[i].Square(kFreqs[i] * scale_);
    }
    return sum / 6.0;
  }

 private:
  double scale_;
  Osc osc_[6];
};

class OnePole {
 public:
  explicit OnePole(double cutoff) : a_(1.0 - Exp(-2.0 * kPi * cutoff / kRate)) {}
  double Low(double x) {
    y_ += a_ * (x - y_);
    return y_;
  }
  double High(double x) { return x - Low(x); }

 private:
  double a_;
  double y_ = 0.0;
};

// Second-order section with the usual cookbook coefficients. The Set* calls keep the state, so a
// recipe may move the cutoff while the sound plays.
class Biquad {
 public:
  enum Kind { kLowPass, kHighPass, kBandPass };
  Biquad(Kind kind, double freq, double q) : kind_(kind) { Set(freq, q); }
  void Set(double freq, double q) {
    const double w = freq / kRate;  // in turns per sample
    const double c = CosTurns(w);
    const double alpha = SinTurns(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    switch (kind_) {
      case kLowPass:
        b0_ = (1.0 - c) / 2.0 / a0;
        b1_ = (1.0 - c) / a0;
        b2_ = b0_;
        break;
      case kHighPass:
        b0_ = (1.0 + c) / 2.0 / a0;
        b1_ = -(1.0 + c) / a0;
        b2_ = b0_;
        break;
      case kBandPass:
        b0_ = alpha / a0;
        b1_ = 0.0;
        b2_ = -alpha / a0;
        break;
    }
    a1_ = -2.0 * c / a0;
    a2_ = (1.0 - alpha) / a0;
  }
  double Process(double x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  Kind kind_;
  double b0_ = 0.0, b1_ = 0.0, b2_ = 0.0, a1_ = 0.0, a2_ = 0.0;
  double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
};

// ---------------------------------------------------------------------------------------------
// The recipes. Each one fills both channels of a sound whose length is fixed by its slot; levels
// are free, since every sound is normalised afterwards.

struct Sound {
  explicit Sound(int frames) : left(frames), right(frames) {}
  int Frames() const { return static_cast<int>(left.size()); }
  double Time(int i) const { return i / kRate; }
  // 1 at the start, 0 at the last frame: lets long tails reach silence instead of being cut.
  double Remaining(int i) const { return 1.0 - static_cast<double>(i) / (Frames() - 1); }
  void Set(int i, double value) { left[i] = right[i] = value; }
  std::vector<double> left, right;
};

// Plays `forward` backwards so that its first sample lands on frame `hit`, then lets the sound
// carry on forwards from there, dying away with time constant tailTau: a reversed swell that
// lands on the hit.
void ReverseIntoHit(const Sound& forward, int hit, double tailTau, Sound& out) {
  for (int i = 0; i < out.Frames(); ++i) {
    const int from = i <= hit ? hit - i : i - hit;
    const double gain = i <= hit ? 1.0 : Decay(out.Time(i - hit), tailTau);
    if (from < forward.Frames()) {
      out.left[i] = forward.left[from] * gain;
      out.right[i] = forward.right[from] * gain;
    }
  }
}

void PunchyKick(Sound& s) {
  Osc body;
  Noise noise(0x0b0e);
  OnePole clickTone(5000.0);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double pitch = Note(33) + 110.0 * Decay(t, 0.025);
    const double amp = t < 0.015 ? 1.0 : Decay(t - 0.015, 0.055);
    const double click = clickTone.Low(noise.Next()) * Decay(t, 0.002);
    s.Set(i, Tanh(1.8 * body.Sine(pitch) * amp + 1.5 * click));
  }
}

// Metal and noise through a high-pass, the common root of the hats.
void Hat(Sound& s, double cutoff, double tau, std::uint32_t seed) {
  Metal metal(1.0);
  Noise common(seed), ownL(seed + 1), ownR(seed + 2);
  Biquad highL(Biquad::kHighPass, cutoff, 0.8), highR(Biquad::kHighPass, cutoff, 0.8);
  for (int i = 0; i < s.Frames(); ++i) {
    const double env = Decay(s.Time(i), tau) * s.Remaining(i);
    const double shared = 0.6 * metal.Next() + 0.5 * common.Next();
    s.left[i] = highL.Process(shared + 0.15 * ownL.Next()) * env;
    s.right[i] = highR.Process(shared + 0.15 * ownR.Next()) * env;
  }
}

void ClosedHat(Sound& s) {
  Hat(s, 7000.0, 0.014, 0x4a71);
}
void OpenHat(Sound& s) {
  Hat(s, 6500.0, 0.16, 0x0fe7);
}
void TightHat(Sound& s) {
  Hat(s, 8500.0, 0.007, 0x71c4);
}

void Rimshot(Sound& s) {
  Osc high, low;
  Noise noise(0x5117);
  OnePole air(3000.0);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double ring =
        high.Sine(1720.0) * Decay(t, 0.010) + 0.6 * low.Sine(480.0) * Decay(t, 0.018);
    const double crack = air.High(noise.Next()) * Decay(t, 0.003);
    s.Set(i, Tanh(1.5 * (ring + 0.8 * crack)));
  }
}

// Two drum-head modes under a band of snare-wire noise; `tau` sets how long the wires rattle.
void SnareInto(Sound& s, double tau, std::uint32_t seed) {
  Osc head1, head2;
  Noise common(seed), ownL(seed + 1), ownR(seed + 2);
  OnePole lowL(1200.0), lowR(1200.0), topL(9000.0), topR(9000.0);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double body =
        (head1.Sine(Note(54) + 50.0 * Decay(t, 0.01)) + 0.5 * head2.Sine(330.0)) * Decay(t, 0.045);
    const double env = Decay(t, tau) * s.Remaining(i);
    const double n = common.Next();
    const double wiresL = topL.Low(lowL.High(0.8 * n + 0.2 * ownL.Next())) * env;
    const double wiresR = topR.Low(lowR.High(0.8 * n + 0.2 * ownR.Next())) * env;
    s.left[i] = Tanh(0.7 * body + 1.1 * wiresL);
    s.right[i] = Tanh(0.7 * body + 1.1 * wiresR);
  }
}

void Snare(Sound& s) {
  SnareInto(s, 0.085, 0x54a3);
}

// Metal and noise washed over a wide band: the crash and, reversed, its swell.
void CrashInto(Sound& s, double tau, std::uint32_t seed) {
  Metal metal(1.31);
  Noise common(seed), ownL(seed + 1), ownR(seed + 2);
  Biquad highL(Biquad::kHighPass, 4200.0, 0.7), highR(Biquad::kHighPass, 4200.0, 0.7);
  OnePole topL(12000.0), topR(12000.0);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double env = (Decay(t, tau) + 0.6 * Decay(t, 0.03)) * s.Remaining(i);
    const double shared = 0.5 * metal.Next() + 0.6 * common.Next();
    s.left[i] = topL.Low(highL.Process(shared + 0.2 * ownL.Next())) * env;
    s.right[i] = topR.Low(highR.Process(shared + 0.2 * ownR.Next())) * env;
  }
}

void Crash(Sound& s) {
  CrashInto(s, 0.45, 0xc4a5);
}

void Ride(Sound& s) {
  // A few inharmonic bell partials over a quieter wash, with a stick tick on top.
  static const double kPartials[5] = {2960.0, 4153.0, 5284.0, 6731.0, 8020.0};
  Osc bell[5];
  Metal metal(2.1);
  Noise common(0x41de), ownL(0x41df), ownR(0x41e0);
  Biquad highL(Biquad::kHighPass, 6000.0, 0.7), highR(Biquad::kHighPass, 6000.0, 0.7);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double tail = s.Remaining(i);
    double ping = 0.0;
    for (int p = 0; p < 5; ++p) {
      ping += bell[p].Sine(kPartials[p]) * Decay(t, 0.5 - 0.06 * p) / (1.0 + p);
    }
    const double washEnv = (0.8 * Decay(t, 0.45) + Decay(t, 0.004)) * tail;
    const double shared = 0.5 * metal.Next() + common.Next();
    s.left[i] = 0.35 * ping * tail + highL.Process(shared + 0.3 * ownL.Next()) * washEnv;
    s.right[i] = 0.35 * ping * tail + highR.Process(shared + 0.3 * ownR.Next()) * washEnv;
  }
}

void Clave(Sound& s) {
  Osc tone, overtone;
  Noise noise(0xc1a7);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double wood =
        tone.Sine(2480.0) * Decay(t, 0.016) + 0.2 * overtone.Sine(6230.0) * Decay(t, 0.004);
    s.Set(i, wood + 0.3 * noise.Next() * Decay(t, 0.0008));
  }
}

// Three quick slaps of band-passed noise and a short room tail, a little different on each side.
void ClapInto(Sound& s, std::uint32_t seed) {
  Noise common(seed), ownL(seed + 1), ownR(seed + 2);
  Biquad bandL(Biquad::kBandPass, 1150.0, 1.3), bandR(Biquad::kBandPass, 1150.0, 1.3);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    double env = 0.0;
    for (double slap : {0.0, 0.008, 0.016}) {
      if (t >= slap) {
        env += Decay(t - slap, 0.0025);
      }
    }
    if (t >= 0.024) {
      env += 0.6 * Decay(t - 0.024, 0.05);
    }
    env *= s.Remaining(i);
    const double n = common.Next();
    s.left[i] = bandL.Process(0.8 * n + 0.3 * ownL.Next()) * env;
    s.right[i] = bandR.Process(0.8 * n + 0.3 * ownR.Next()) * env;
  }
}

void Clap(Sound& s) {
  ClapInto(s, 0xc1a9);
}

void Swoosh(Sound& s) {
  // Noise through a band-pass that climbs with the level, then drops off sharply.
  Noise common(0x5005), ownL(0x5006), ownR(0x5007);
  Biquad bandL(Biquad::kBandPass, 1500.0, 1.5), bandR(Biquad::kBandPass, 1500.0, 1.5);
  const double peak = 0.150;
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double sweep = 1500.0 + 6000.0 * (t < peak ? t / peak : 1.0);
    bandL.Set(sweep, 1.5);
    bandR.Set(sweep * 1.02, 1.5);
    const double env = Swell(t, peak, 3, 0.012);
    const double n = common.Next();
    s.left[i] = bandL.Process(0.8 * n + 0.3 * ownL.Next()) * env;
    s.right[i] = bandR.Process(0.8 * n + 0.3 * ownR.Next()) * env;
  }
}

void ReverseSnare(Sound& s) {
  Sound snare(s.Frames());
  SnareInto(snare, 0.06, 0x7e5a);
  ReverseIntoHit(snare, static_cast<int>(0.215 * kRate), 0.012, s);
}

void ReverseHat(Sound& s) {
  Sound hat(s.Frames());
  Hat(hat, 6000.0, 0.05, 0x7e4a);
  ReverseIntoHit(hat, static_cast<int>(0.16 * kRate), 0.008, s);
}

void ReverseClap(Sound& s) {
  Sound clap(s.Frames());
  ClapInto(clap, 0x7ec1);
  ReverseIntoHit(clap, static_cast<int>(0.145 * kRate), 0.008, s);
}

void ReverseCrash(Sound& s) {
  Sound crash(s.Frames());
  CrashInto(crash, 0.12, 0x7ec4);
  ReverseIntoHit(crash, static_cast<int>(0.25 * kRate), 0.04, s);
}

void Shaker(Sound& s) {
  Noise common(0x5a4e), ownL(0x5a4f), ownR(0x5a50);
  Biquad highL(Biquad::kHighPass, 5500.0, 0.9), highR(Biquad::kHighPass, 5800.0, 0.9);
  OnePole topL(11000.0), topR(11000.0);
  for (int i = 0; i < s.Frames(); ++i) {
    const double env = Swell(s.Time(i), 0.010, 1, 0.030) * s.Remaining(i);
    const double n = common.Next();
    s.left[i] = topL.Low(highL.Process(0.8 * n + 0.3 * ownL.Next())) * env;
    s.right[i] = topR.Low(highR.Process(0.8 * n + 0.3 * ownR.Next())) * env;
  }
}

// A head tone gliding down onto its pitch, a quieter overtone and a stick click.
void Tom(Sound& s, double pitch, double tau, std::uint32_t seed) {
  Osc head, overtone;
  Noise noise(seed);
  OnePole stick(2500.0);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double glide = 1.0 + 0.45 * Decay(t, 0.04);
    const double tone = head.Sine(pitch * glide) + 0.25 * overtone.Sine(pitch * 1.6 * glide);
    const double click = stick.Low(noise.Next()) * Decay(t, 0.003);
    s.Set(i, Tanh(1.4 * tone * Decay(t, tau) * s.Remaining(i) + 2.0 * click));
  }
}

void LowTom(Sound& s) {
  Tom(s, Note(40), 0.13, 0x7041);
}
void MidTom(Sound& s) {
  Tom(s, Note(45), 0.10, 0x7042);
}
void HighTom(Sound& s) {
  Tom(s, Note(50), 0.07, 0x7043);
}

void BoomKick(Sound& s) {
  // The long 808 kick: a sine that drops onto A1 and hums there, driven for some harmonics.
  Osc body;
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double pitch = Note(33) + 95.0 * Decay(t, 0.018);
    const double amp = Decay(t, 0.32) * s.Remaining(i);
    s.Set(i, Tanh(1.6 * body.Sine(pitch) * amp));
  }
}

void Cowbell(Sound& s) {
  Osc a, b;
  Biquad band(Biquad::kBandPass, 900.0, 0.9);
  OnePole rumble(350.0);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double env = (0.55 * Decay(t, 0.012) + 0.45 * Decay(t, 0.11)) * s.Remaining(i);
    s.Set(i, rumble.High(band.Process(a.Square(540.0) + b.Square(800.0))) * env);
  }
}

void Bell(Sound& s) {
  // Two-operator FM on E5 with an inharmonic 3.5 ratio. Only the quiet upper partial differs
  // between the sides, so the width never turns into phasing when the channels are summed.
  Osc carrier, modulator, upperL, upperR;
  const double pitch = Note(76);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double index = 0.45 * Decay(t, 0.25) + 0.06;  // in turns
    const double mod = modulator.Sine(pitch * 3.5) * index;
    const double amp = Decay(t, 0.6) * s.Remaining(i) * (t < 0.001 ? t / 0.001 : 1.0);
    const double upper = 0.25 * Decay(t, 0.2);
    const double body = carrier.SineShifted(pitch, mod);
    s.left[i] = (body + upper * upperL.Sine(pitch * 2.76)) * amp;
    s.right[i] = (body + upper * upperR.Sine(pitch * 2.76 + 1.3)) * amp;
  }
}

// A chord of four saws: one centred voice per note, plus a quieter voice detuned flat on the left
// and sharp on the right. That widens the chord without the channels drifting out of phase.
class SawChord {
 public:
  SawChord(const int (&notes)[4], double cents) {
    const double detune = Exp(cents / 1200.0 * kLn2);
    for (int n = 0; n < 4; ++n) {
      pitch_[n] = Note(notes[n]);
      detune_[n] = detune;
      // Every voice of a note starts in phase, so the chord opens out from the centre.
      centre_[n] = side_[n][0] = side_[n][1] = Osc(0.3 * n);
    }
  }
  void Next(double& left, double& right) {
    left = right = 0.0;
    for (int n = 0; n < 4; ++n) {
      const double centre = centre_[n].Saw(pitch_[n]);
      left += (centre + 0.4 * side_[n][0].Saw(pitch_[n] / detune_[n])) / 4.0;
      right += (centre + 0.4 * side_[n][1].Saw(pitch_[n] * detune_[n])) / 4.0;
    }
  }

 private:
  double pitch_[4] = {}, detune_[4] = {};
  Osc centre_[4], side_[4][2];
};

void SwelledChord(Sound& s) {
  // A minor add 9, fading in like a bowed section and dying away.
  static const int kNotes[4] = {57, 60, 64, 71};
  SawChord chord(kNotes, 5.0);
  Biquad lowL(Biquad::kLowPass, 1800.0, 0.7), lowR(Biquad::kLowPass, 1800.0, 0.7);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double env = Swell(t, 0.22, 2, 0.14) * s.Remaining(i);
    lowL.Set(600.0 + 1800.0 * env, 0.7);
    lowR.Set(600.0 + 1800.0 * env, 0.7);
    double left, right;
    chord.Next(left, right);
    s.left[i] = lowL.Process(left) * env;
    s.right[i] = lowR.Process(right) * env;
  }
}

void SwelledBass(Sound& s) {
  // A saw on A1 over its sub, with the filter opening as the level rises.
  Osc saw, sub;
  Biquad low(Biquad::kLowPass, 200.0, 1.1);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double env = Swell(t, 0.2, 2, 0.08) * s.Remaining(i);
    low.Set(150.0 + 1100.0 * env, 1.1);
    s.Set(i, Tanh(1.5 * (low.Process(saw.Saw(Note(33))) + 0.6 * sub.Sine(Note(33))) * env));
  }
}

void ChordStab(Sound& s) {
  // A minor 7 with a filter snapping shut, the classic house stab.
  static const int kNotes[4] = {57, 60, 64, 67};
  SawChord chord(kNotes, 6.0);
  Biquad lowL(Biquad::kLowPass, 4000.0, 1.2), lowR(Biquad::kLowPass, 4000.0, 1.2);
  for (int i = 0; i < s.Frames(); ++i) {
    const double t = s.Time(i);
    const double cutoff = 350.0 + 3600.0 * Decay(t, 0.06);
    lowL.Set(cutoff, 1.2);
    lowR.Set(cutoff, 1.2);
    const double env = Decay(t, 0.16) * s.Remaining(i) * (t < 0.002 ? t / 0.002 : 1.0);
    double left, right;
    chord.Next(left, right);
    s.left[i] = lowL.Process(left) * env;
    s.right[i] = lowR.Process(right) * env;
  }
}

// ---------------------------------------------------------------------------------------------
// Finishing and writing.

// Removes DC, fades the ends, normalises and quantises to interleaved 16-bit frames.
std::vector<std::int16_t> Finish(Sound& s) {
  const int frames = s.Frames();
  for (std::vector<double>* channel : {&s.left, &s.right}) {
    std::vector<double>& x = *channel;
    // DC blocker at about 10 Hz, then whatever mean is left.
    const double pole = 1.0 - 2.0 * kPi * 10.0 / kRate;
    double previousIn = 0.0, previousOut = 0.0;
    double sum = 0.0;
    for (double& v : x) {
      const double out = v - previousIn + pole * previousOut;
      previousIn = v;
      previousOut = out;
      v = out;
      sum += out;
    }
    const double mean = sum / frames;
    for (double& v : x) {
      v -= mean;
    }
    // A 16-frame fade-in keeps the first sample off a hard step; the 5 ms fade-out ends every
    // sound on an exact zero so nothing clicks when a voice stops.
    const int fadeIn = 16, fadeOut = static_cast<int>(0.005 * kRate);
    for (int i = 0; i < fadeIn; ++i) {
      x[i] *= static_cast<double>(i) / fadeIn;
    }
    for (int i = 0; i < fadeOut; ++i) {
      const double g = static_cast<double>(i) / (fadeOut - 1);
      x[frames - 1 - i] *= g * g;
    }
  }
  double peak = 0.0;
  for (int i = 0; i < frames; ++i) {
    peak = std::fmax(peak, std::fmax(std::fabs(s.left[i]), std::fabs(s.right[i])));
  }
  // 0.94 of full scale: about -0.5 dBFS, with room for a resampler's overshoot.
  const double gain = peak > 0.0 ? 0.94 * 32767.0 / peak : 0.0;
  std::vector<std::int16_t> pcm(2 * static_cast<std::size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    pcm[2 * i] = static_cast<std::int16_t>(std::floor(s.left[i] * gain + 0.5));
    pcm[2 * i + 1] = static_cast<std::int16_t>(std::floor(s.right[i] * gain + 0.5));
  }
  return pcm;
}

void PutTag(std::vector<unsigned char>& out, const char* tag) {
  out.insert(out.end(), tag, tag + 4);
}

// A NUL-terminated text sub-chunk, NUL-padded to `size` bytes of text (plus the even-size pad).
void PutText(std::vector<unsigned char>& out, const char* tag, const char* text, std::size_t size) {
  PutTag(out, tag);
  Put32(&out, static_cast<std::uint32_t>(size));
  const std::size_t start = out.size();
  out.insert(out.end(), text, text + std::strlen(text));
  out.resize(start + size + (size & 1), 0);
}

struct Slot {
  const char* name;
  int frames;
  int listBody;  // bytes of the LIST chunk's body, fixed so the file has the size the saver expects
  void (*recipe)(Sound&);
};

const Slot kSlots[25] = {
    {"Punchy kick", 8143, 98, PunchyKick},
    {"Closed hat", 3420, 98, ClosedHat},
    {"Rimshot", 4386, 98, Rimshot},
    {"Snare", 14114, 98, Snare},
    {"Crash", 63360, 98, Crash},
    {"Ride", 57735, 98, Ride},
    {"Clave", 3423, 98, Clave},
    {"Open hat", 26460, 98, OpenHat},
    {"Clap", 8820, 98, Clap},
    {"Swoosh", 8820, 98, Swoosh},
    {"Reverse snare", 11911, 98, ReverseSnare},
    {"Reverse hat", 8820, 98, ReverseHat},
    {"Reverse clap", 8122, 98, ReverseClap},
    {"Reverse crash", 17398, 98, ReverseCrash},
    {"Shaker", 7536, 98, Shaker},
    {"Low tom", 18330, 98, LowTom},
    {"Boom kick", 49540, 98, BoomKick},
    {"Mid tom", 13878, 98, MidTom},
    {"Cowbell", 12246, 98, Cowbell},
    {"Tight hat", 2598, 98, TightHat},
    {"Bell", 98388, 98, Bell},
    {"High tom", 8801, 98, HighTom},
    {"Swelled chord", 44100, 44, SwelledChord},
    {"Swelled bass", 18263, 98, SwelledBass},
    {"Chord stab", 18522, 98, ChordStab},
};

std::vector<unsigned char> WaveFile(const Slot& slot) {
  Sound sound(slot.frames);
  slot.recipe(sound);
  const std::vector<std::int16_t> pcm = Finish(sound);
  const std::uint32_t dataSize = static_cast<std::uint32_t>(pcm.size() * 2);
  const std::uint32_t acidBody = 24;
  std::vector<unsigned char> out;
  PutTag(out, "RIFF");
  Put32(&out, 4 + (8 + 16) + (8 + dataSize) + (8 + slot.listBody) + (8 + acidBody));
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(&out, 16);
  Put16(&out, 1);  // PCM
  Put16(&out, 2);
  Put32(&out, 44100);
  Put32(&out, 44100 * 4);
  Put16(&out, 4);
  Put16(&out, 16);
  PutTag(out, "data");
  Put32(&out, dataSize);
  for (std::int16_t sample : pcm) {
    Put16(&out, static_cast<std::uint16_t>(sample));
  }
  // Metadata for sample editors: the sound's name and where it came from; the name's field takes
  // up whatever the fixed LIST size leaves.
  const char* software = "Ostinel";
  const std::size_t softwareField =
      8 + std::strlen(software) + 1 + ((std::strlen(software) + 1) & 1);
  PutTag(out, "LIST");
  Put32(&out, static_cast<std::uint32_t>(slot.listBody));
  PutTag(out, "INFO");
  PutText(out, "ISFT", software, std::strlen(software) + 1);
  PutText(out, "INAM", slot.name, slot.listBody - 4 - softwareField - 8);
  // Loop-tool hints: a one-shot with root note C4 at 120 beats a minute in 4/4.
  const float tempo = 120.0f;
  std::uint32_t tempoBits = 0;
  std::memcpy(&tempoBits, &tempo, sizeof tempoBits);
  PutTag(out, "acid");
  Put32(&out, acidBody);
  Put32(&out, 1);  // one-shot
  Put16(&out, 60);
  Put16(&out, 0);
  Put32(&out, 0);
  Put32(&out, 0);  // beats
  Put16(&out, 4);  // meter denominator
  Put16(&out, 4);  // meter numerator
  Put32(&out, tempoBits);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  for (int i = 0; i < 25; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "slot%02d.wav", i);
    const std::vector<unsigned char> bytes = WaveFile(kSlots[i]);
    std::ofstream file(dir / name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], (dir / name).string().c_str());
      return 1;
    }
  }
  return 0;
}
