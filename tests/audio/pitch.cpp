#include "pitch.h"

#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace audio_test {

double fundamentalHz(std::span<const float> samples, double sampleRateHz, double minHz,
                     double maxHz) {
  constexpr double kThreshold = 0.1;
  const auto minLag = static_cast<size_t>(sampleRateHz / maxHz);
  const auto maxLag = static_cast<size_t>(sampleRateHz / minHz);
  if (minLag < 2 || samples.size() < 2 * maxLag + 2) return 0.0;
  const size_t window = samples.size() - maxLag - 1;

  // normalised[lag] = d(lag) / (mean of d(1..lag)), with d the squared difference.
  std::vector<double> normalised(maxLag + 2, 1.0);
  double runningSum = 0.0;
  for (size_t lag = 1; lag <= maxLag + 1; ++lag) {
    double difference = 0.0;
    for (size_t j = 0; j < window; ++j) {
      const double delta = double(samples[j]) - double(samples[j + lag]);
      difference += delta * delta;
    }
    runningSum += difference;
    normalised[lag] = runningSum > 0.0 ? difference * double(lag) / runningSum : 1.0;
  }

  size_t best = 0;
  for (size_t lag = minLag; lag <= maxLag; ++lag) {
    if (normalised[lag] < kThreshold) {
      while (lag + 1 <= maxLag && normalised[lag + 1] < normalised[lag]) ++lag;
      best = lag;
      break;
    }
  }
  if (best == 0) {  // no clear dip: the deepest one
    best = minLag;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
      if (normalised[lag] < normalised[best]) best = lag;
    }
  }

  const double before = normalised[best - 1], at = normalised[best], after = normalised[best + 1];
  const double curvature = before - 2.0 * at + after;
  const double shift = curvature != 0.0 ? 0.5 * (before - after) / curvature : 0.0;
  return firstPartialHz(samples, sampleRateHz, sampleRateHz / (double(best) + shift));
}

double firstPartialHz(std::span<const float> samples, double sampleRateHz, double nearHz) {
  constexpr double kSearchCents = 100.0;
  constexpr double kStepCents = 0.5;
  const size_t n = samples.size();
  std::vector<double> windowed(n);
  for (size_t i = 0; i < n; ++i) {
    const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(n - 1));
    windowed[i] = hann * double(samples[i]);
  }
  // Power of the windowed sound at one frequency.
  const auto power = [&](double hz) {
    const double step = 2.0 * std::numbers::pi * hz / sampleRateHz;
    double re = 0.0, im = 0.0;
    for (size_t i = 0; i < n; ++i) {
      re += windowed[i] * std::cos(step * double(i));
      im -= windowed[i] * std::sin(step * double(i));
    }
    return re * re + im * im;
  };
  const auto hzAt = [&](double cents) { return nearHz * std::exp2(cents / 1200.0); };

  double bestCents = -kSearchCents, bestPower = -1.0;
  std::vector<double> powers;
  for (double cents = -kSearchCents; cents <= kSearchCents; cents += kStepCents) {
    powers.push_back(power(hzAt(cents)));
    if (powers.back() > bestPower) {
      bestPower = powers.back();
      bestCents = cents;
    }
  }
  // Parabola through the peak and its neighbours, on a log scale.
  const auto index = size_t((bestCents + kSearchCents) / kStepCents + 0.5);
  if (index == 0 || index + 1 >= powers.size()) return hzAt(bestCents);
  const double before = std::log(powers[index - 1]), at = std::log(powers[index]),
               after = std::log(powers[index + 1]);
  const double curvature = before - 2.0 * at + after;
  const double shift = curvature != 0.0 ? 0.5 * (before - after) / curvature : 0.0;
  return hzAt(bestCents + shift * kStepCents);
}

}  // namespace audio_test
