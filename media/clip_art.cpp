#include "media/clip_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <utility>

namespace tidewell::media {

namespace {

constexpr int kWidth = 49;
constexpr int kHeight = 41;
constexpr int kFrames = 12;
constexpr int kFrameMicroseconds = 100'000;
constexpr int kSubsamples = 4;  // per side, for smooth edges
constexpr double kTau = 2 * std::numbers::pi;

struct Rgb {
  double r, g, b;
};

Rgb Mix(Rgb from, Rgb to, double amount) {
  amount = std::clamp(amount, 0.0, 1.0);
  return {from.r + (to.r - from.r) * amount, from.g + (to.g - from.g) * amount, from.b + (to.b - from.b) * amount};
}

constexpr Rgb kSkyTop{0.96, 0.98, 1.00};
constexpr Rgb kSkyLow{0.84, 0.93, 0.98};
constexpr Rgb kWaterTop{0.36, 0.72, 0.91};
constexpr Rgb kWaterDeep{0.11, 0.44, 0.70};
constexpr Rgb kFoam{0.85, 0.95, 1.00};
constexpr Rgb kWhite{1.0, 1.0, 1.0};
constexpr Rgb kSparkle{1.00, 0.86, 0.35};

struct Bubble {
  double x;       // column it rises along
  double radius;
  double offset;  // where in the loop it starts, 0..1
  double wobble;  // sideways sway in pixels
};

constexpr std::array<Bubble, 5> kBubbles{{
    {10.0, 3.2, 0.00, 1.2},
    {22.0, 2.2, 0.55, 0.8},
    {31.0, 3.8, 0.30, 1.5},
    {40.0, 2.6, 0.80, 1.0},
    {17.0, 1.8, 0.15, 0.6},
}};

struct Sparkle {
  double x, y, offset;
};

constexpr std::array<Sparkle, 3> kSparkles{{{9.0, 7.0, 0.0}, {27.0, 4.5, 0.33}, {41.0, 9.0, 0.66}}};

// `phase` runs 0..1 over the loop; every movement repeats a whole number of
// times per loop, so the last frame leads back into the first.
double SurfaceAt(double x, double phase) {
  return 22.0 + 1.8 * std::sin(kTau * (x / 24.0 + phase)) + 0.9 * std::sin(kTau * (x / 13.0 - 2 * phase));
}

Rgb DrawSky(double x, double y, double surface, double phase) {
  Rgb colour = Mix(kSkyTop, kSkyLow, y / surface);
  for (const Sparkle& sparkle : kSparkles) {
    const double size = 3.2 * std::max(0.0, std::sin(kTau * (phase + sparkle.offset)));
    const double dx = std::abs(x - sparkle.x);
    const double dy = std::abs(y - sparkle.y);
    // A four-pointed star: thin arms along both axes, a soft core.
    const bool arm = (dx < 0.5 && dy < size) || (dy < 0.5 && dx < size);
    const bool core = dx * dx + dy * dy < 0.3 * size * size;
    if (size > 0.4 && (arm || core)) colour = Mix(colour, kSparkle, core ? 1.0 : 0.8);
  }
  return colour;
}

Rgb DrawWater(double x, double y, double surface, double phase) {
  Rgb colour = Mix(kWaterTop, kWaterDeep, (y - surface) / (kHeight - surface));
  if (y - surface < 1.2) colour = Mix(colour, kFoam, 0.7);
  for (const Bubble& bubble : kBubbles) {
    const double travel = std::fmod(phase + bubble.offset, 1.0);
    const double bottom = kHeight + bubble.radius;
    const double top = SurfaceAt(bubble.x, phase) + bubble.radius * 0.6;
    const double cy = bottom - travel * (bottom - top + bubble.radius * 2);
    if (cy < top) continue;  // burst at the surface
    const double cx = bubble.x + bubble.wobble * std::sin(kTau * (2 * phase + bubble.offset));
    const double distance = std::hypot(x - cx, y - cy);
    if (distance > bubble.radius + 0.5) continue;
    const double rim = std::abs(distance - bubble.radius) < 0.6 ? 0.85 : 0.22;
    colour = Mix(colour, kWhite, rim);
    const double shine = std::hypot(x - (cx - bubble.radius * 0.4), y - (cy - bubble.radius * 0.4));
    if (shine < bubble.radius * 0.3) colour = Mix(colour, kWhite, 0.95);
  }
  return colour;
}

Rgb DrawPoint(double x, double y, double phase) {
  const double surface = SurfaceAt(x, phase);
  return y < surface ? DrawSky(x, y, surface, phase) : DrawWater(x, y, surface, phase);
}

std::uint32_t Packed(Rgb colour) {
  auto channel = [](double value) { return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255)); };
  return 0xff000000u | channel(colour.r) << 16 | channel(colour.g) << 8 | channel(colour.b);
}

std::vector<std::uint32_t> DrawFrame(int frame) {
  const double phase = static_cast<double>(frame) / kFrames;
  std::vector<std::uint32_t> pixels;
  pixels.reserve(kWidth * kHeight);
  for (int row = 0; row < kHeight; ++row) {
    for (int column = 0; column < kWidth; ++column) {
      Rgb sum{0, 0, 0};
      for (int sy = 0; sy < kSubsamples; ++sy) {
        for (int sx = 0; sx < kSubsamples; ++sx) {
          const Rgb sample = DrawPoint(column + (sx + 0.5) / kSubsamples, row + (sy + 0.5) / kSubsamples, phase);
          sum = {sum.r + sample.r, sum.g + sample.g, sum.b + sample.b};
        }
      }
      constexpr double kSamples = kSubsamples * kSubsamples;
      pixels.push_back(Packed({sum.r / kSamples, sum.g / kSamples, sum.b / kSamples}));
    }
  }
  return pixels;
}

int ColourDistance(std::uint32_t a, std::uint32_t b) {
  int total = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
    total += d * d;
  }
  return total;
}

// The 256 most used colours (ties broken by colour value, so the result does
// not depend on map order), and every pixel mapped to its nearest.
void Palettise(const std::vector<std::vector<std::uint32_t>>& pictures, IndexedClip* clip) {
  std::map<std::uint32_t, int> uses;
  for (const auto& picture : pictures) {
    for (std::uint32_t colour : picture) ++uses[colour];
  }
  std::vector<std::pair<int, std::uint32_t>> ranked;
  for (const auto& [colour, count] : uses) ranked.emplace_back(-count, colour);
  std::sort(ranked.begin(), ranked.end());
  for (std::size_t i = 0; i < ranked.size() && i < 256; ++i) clip->palette.push_back(ranked[i].second);

  std::map<std::uint32_t, std::uint8_t> nearest;
  for (const auto& [colour, count] : uses) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < clip->palette.size(); ++i) {
      if (ColourDistance(colour, clip->palette[i]) < ColourDistance(colour, clip->palette[best])) best = i;
    }
    nearest[colour] = static_cast<std::uint8_t>(best);
  }
  for (const auto& picture : pictures) {
    std::vector<std::uint8_t> indexes;
    indexes.reserve(picture.size());
    for (std::uint32_t colour : picture) indexes.push_back(nearest[colour]);
    clip->frames.push_back(std::move(indexes));
  }
}

}  // namespace

IndexedClip DrawWorkingClip() {
  std::vector<std::vector<std::uint32_t>> pictures;
  for (int frame = 0; frame < kFrames; ++frame) pictures.push_back(DrawFrame(frame));
  IndexedClip clip;
  clip.width = kWidth;
  clip.height = kHeight;
  clip.frameMicroseconds = kFrameMicroseconds;
  Palettise(pictures, &clip);
  return clip;
}

}  // namespace tidewell::media
