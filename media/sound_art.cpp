#include "media/sound_art.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace tidewell::media {

namespace {

constexpr double kTau = 2 * std::numbers::pi;
constexpr double kRate = kSoundSampleRate;

// Linear congruential noise in -1..1: the same sequence on every run.
class Noise {
 public:
  double Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state_ >> 40) / static_cast<double>(1ull << 23) - 1.0;
  }

 private:
  std::uint64_t state_ = 0x7469646577656c6cull;
};

// Scales to `peak` of full scale, fades the last few milliseconds to zero
// and converts to 16-bit samples.
std::vector<std::int16_t> Finish(std::vector<double> signal, double peak) {
  double loudest = 0;
  for (double value : signal) loudest = std::max(loudest, std::abs(value));
  const double gain = loudest > 0 ? peak / loudest : 0;
  const std::size_t fade = static_cast<std::size_t>(0.02 * kRate);
  std::vector<std::int16_t> samples;
  samples.reserve(signal.size());
  for (std::size_t i = 0; i < signal.size(); ++i) {
    const std::size_t left = signal.size() - i;
    const double edge = std::min(1.0, static_cast<double>(std::min(left - 1, i)) / static_cast<double>(fade));
    samples.push_back(static_cast<std::int16_t>(std::lround(signal[i] * gain * edge * 32767)));
  }
  return samples;
}

// A resonant band-pass filter (state-variable form), tunable per sample.
class BandPass {
 public:
  double Next(double input, double centre) {
    const double tune = 2 * std::sin(std::numbers::pi * centre / kRate);
    low_ += tune * band_;
    const double high = input - low_ - kDamping * band_;
    band_ += tune * high;
    return band_;
  }

 private:
  static constexpr double kDamping = 0.3;
  double low_ = 0;
  double band_ = 0;
};

// A struck bell: a fundamental and a quieter, faster-fading upper partial.
double Bell(double frequency, double since) {
  if (since < 0) return 0;
  const double attack = std::min(1.0, since / 0.004);
  return attack * (std::sin(kTau * frequency * since) * std::exp(-since / 0.18) +
                   0.3 * std::sin(kTau * frequency * 2.76 * since) * std::exp(-since / 0.06));
}

}  // namespace

std::vector<std::int16_t> SynthesiseRunStartChime() {
  const std::size_t length = static_cast<std::size_t>(0.8 * kRate);
  std::vector<double> signal(length);
  Noise noise;
  // Noise through two band-pass stages whose centre sweeps up from 300 Hz
  // to 3 kHz: the rise is what makes it a whoosh.
  BandPass first, second;
  constexpr double kWhooshEnd = 0.5;
  for (std::size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / kRate;
    double whoosh = 0;
    if (t < kWhooshEnd) {
      const double centre = 300.0 * std::pow(10.0, t / kWhooshEnd);
      whoosh = second.Next(first.Next(noise.Next(), centre), centre) * std::sin(std::numbers::pi * t / kWhooshEnd);
    }
    // Two chime notes, a fifth apart, as the whoosh tops out.
    const double chime = Bell(1046.5, t - 0.32) + 0.8 * Bell(1568.0, t - 0.42);
    signal[i] = 0.5 * whoosh + 0.45 * chime;
  }
  return Finish(std::move(signal), 0.7);
}

std::vector<std::int16_t> SynthesiseOptionsBubbles() {
  struct Blip {
    double start, frequency;
  };
  constexpr Blip kBlips[] = {{0.00, 620}, {0.07, 880}, {0.15, 720}, {0.22, 1040}, {0.31, 800}};
  const std::size_t length = static_cast<std::size_t>(0.5 * kRate);
  std::vector<double> signal(length);
  for (const Blip& blip : kBlips) {
    // A bubble: a sine whose pitch rises quickly while it dies away.
    double phase = 0;
    for (std::size_t i = static_cast<std::size_t>(blip.start * kRate); i < length; ++i) {
      const double since = static_cast<double>(i) / kRate - blip.start;
      const double frequency = blip.frequency * (1.0 + 6.0 * since);
      phase += kTau * frequency / kRate;
      const double attack = std::min(1.0, since / 0.003);
      signal[i] += attack * std::exp(-since / 0.03) * std::sin(phase);
    }
  }
  return Finish(std::move(signal), 0.6);
}

}  // namespace tidewell::media
