// Pitch measurement for rendered notes.
#pragma once

#include <cmath>
#include <span>

namespace audio_test {

// Fundamental frequency (Hz) of a steady stretch of sound. YIN finds the period:
// the cumulative-mean-normalised difference function, its first dip under a
// threshold (which keeps strong upper partials from being taken for the
// fundamental). The period of a piano note follows its partials, which a
// stiff string stretches sharp, so the answer is the frequency of the first
// partial near 1 / period. 0 when no period between minHz and maxHz is found.
double fundamentalHz(std::span<const float> samples, double sampleRateHz, double minHz = 50.0,
                     double maxHz = 2000.0);

// The frequency (Hz) of the strongest spectral peak within a semitone of nearHz.
double firstPartialHz(std::span<const float> samples, double sampleRateHz, double nearHz);

inline double centsBetween(double hz, double referenceHz) {
  return 1200.0 * std::log2(hz / referenceHz);
}

}  // namespace audio_test
