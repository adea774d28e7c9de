// The program's two sounds, synthesised: a rising whoosh ending in a chime
// for the start of a cleaning run, and a few bubbles for the options window.
// Mono samples at kSoundSampleRate, each under a second, starting and ending
// in silence. Deterministic: noise comes from a fixed-seed generator.
#pragma once

#include <cstdint>
#include <vector>

namespace tidewell::media {

inline constexpr int kSoundSampleRate = 22050;

std::vector<std::int16_t> SynthesiseRunStartChime();
std::vector<std::int16_t> SynthesiseOptionsBubbles();

}  // namespace tidewell::media
