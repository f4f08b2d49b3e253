// How the FluidSynth backend comes by its library: opened by the loader thread
// once the event loop runs, never at start-up, and its absence said once on
// stderr. Kept apart from the sound tests, which link the library's users; once
// opened the library stays for the process's life, so the test of when it is
// opened runs in a process of its own.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/backends/fluidsynth/fluidsynth_synth.h"
#include "tests/common/fresh_process.h"

namespace {

using platform::fluidsynth::FluidSynthOptions;
using platform::fluidsynth::FluidSynthSynth;
using platform::fluidsynth::kFluidSynthLibrary;
using platform::fluidsynth::SoundFontState;

constexpr const char* kAbsentLibrary = "libvelmora-absent-fluidsynth.so.3";

bool libraryInProcess() {
  void* handle = dlopen(kFluidSynthLibrary, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

FluidSynthOptions heldBack(std::string library, bool audioOutput) {
  FluidSynthOptions options;
  options.soundFonts = {};
  options.audioOutput = audioOutput;
  options.loadOnStart = false;
  options.library = std::move(library);
  return options;
}

TEST(LibraryLoading, LibfluidsynthIsOpenedByTheLoaderNotWhenTheProgramStarts) {
  if (!velmora::testing::inFreshProcess()) return velmora::testing::runInFreshProcess();
  EXPECT_FALSE(libraryInProcess()) << "the executable links libfluidsynth";
  FluidSynthSynth synth(heldBack(kFluidSynthLibrary, /*audioOutput=*/false));
  EXPECT_FALSE(libraryInProcess()) << "the constructor loaded libfluidsynth";

  synth.startLoading();
  if (synth.waitForSoundFont() == SoundFontState::Unavailable) {
    GTEST_SKIP() << kFluidSynthLibrary << " is not installed";
  }
  EXPECT_TRUE(libraryInProcess());
}

class WithoutTheLibrary : public testing::TestWithParam<bool> {};

// As in the program, loading waits for the event loop to start.
TEST_P(WithoutTheLibrary, SaysWhatToInstallOnceTheEventLoopStartsThenStaysSilent) {
  const bool audioOutput = GetParam();
  testing::internal::CaptureStderr();
  FluidSynthSynth synth(heldBack(kAbsentLibrary, audioOutput));
  const int channel = synth.openChannel("notPitches");
  synth.programChange(channel, 25);
  synth.noteOn(channel, 67, 127);
  EXPECT_EQ(synth.soundFontState(), SoundFontState::Waiting);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "said before loading started";

  testing::internal::CaptureStderr();
  synth.eventLoopStarted();
  EXPECT_EQ(synth.waitForSoundFont(), SoundFontState::Unavailable);
  synth.programChange(channel, 0);
  synth.noteOn(channel, 60, 127);
  std::vector<float> left(4800, 1.0f), right(4800, 1.0f);
  const bool rendered = synth.render(left, right);
  synth.noteOff(channel, 60);
  synth.allNotesOff();
  const std::string said = testing::internal::GetCapturedStderr();

  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_EQ(said.rfind("velmora: ", 0), 0u) << said;
  EXPECT_NE(said.find(kAbsentLibrary), std::string::npos) << said;
  EXPECT_NE(said.find("install libfluidsynth3"), std::string::npos) << said;
  EXPECT_EQ(rendered, !audioOutput);  // only the render-to-memory mode renders
  if (rendered) {
    EXPECT_EQ(std::count(left.begin(), left.end(), 0.0f), 4800);
    EXPECT_EQ(std::count(right.begin(), right.end(), 0.0f), 4800);
  }
  EXPECT_EQ(synth.audioSettings().driver, "");
}

INSTANTIATE_TEST_SUITE_P(Modes, WithoutTheLibrary, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "AudioDevice" : "RenderToMemory";
                         });

}  // namespace
