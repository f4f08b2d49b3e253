// The FluidSynth synthesiser rendering into memory: no audio device is opened,
// except against a sound server that never answers.
#include "platform/backends/fluidsynth/fluidsynth_synth.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "pitch.h"
#include "tests/common/fresh_process.h"
#include "tests/common/scoped_env.h"
#include "tests/common/temp_dir.h"

namespace {

using platform::fluidsynth::FluidSynthOptions;
using platform::fluidsynth::FluidSynthSynth;
using platform::fluidsynth::SoundFontState;
namespace fs = std::filesystem;

const std::string kTimGm = "/usr/share/sounds/sf2/TimGM6mb.sf2";
const std::string kFluidR3 = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
constexpr double kRateHz = 48000.0;
constexpr int kVelocity = 127;
// Below -100 dB; FluidSynth's effects keep a floor near 1e-8 against denormals.
constexpr float kSilence = 1e-5f;

FluidSynthOptions inMemory(std::vector<std::string> soundFonts, bool loadOnStart = true) {
  FluidSynthOptions options;
  options.soundFonts = std::move(soundFonts);
  options.audioOutput = false;
  options.loadOnStart = loadOnStart;
  options.sampleRateHz = kRateHz;
  return options;
}

// The next `seconds` of sound, left and right mixed.
std::vector<float> listen(FluidSynthSynth& synth, double seconds) {
  const auto frames = static_cast<size_t>(seconds * kRateHz);
  std::vector<float> left(frames), right(frames), mono(frames);
  EXPECT_TRUE(synth.render(left, right));
  for (size_t i = 0; i < frames; ++i) mono[i] = 0.5f * (left[i] + right[i]);
  return mono;
}

double rms(std::span<const float> samples) {
  double sum = 0.0;
  for (float s : samples) sum += double(s) * double(s);
  return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size()));
}

float peak(std::span<const float> samples) {
  float largest = 0.0f;
  for (float s : samples) largest = std::max(largest, std::abs(s));
  return largest;
}

std::span<const float> lastSeconds(const std::vector<float>& samples, double seconds) {
  const auto count = std::min(samples.size(), static_cast<size_t>(seconds * kRateHz));
  return std::span<const float>(samples).last(count);
}

int lineCount(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

// Tests skip without their SoundFont, each in its own body: GTEST_SKIP returns
// only from the function it is written in.
bool missing(const std::string& soundFont) { return !fs::exists(soundFont); }

// A directory of files made for one test, removed afterwards.
class TempDir {
 public:
  std::string file(const std::string& name, const std::string& bytes) const {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  std::string absent(const std::string& name) const { return (dir_ / name).string(); }

 private:
  velmora::testing::TempDir dir_{"velmora-audio"};
};

std::string firstBytes(const std::string& path, size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(count, '\0');
  in.read(bytes.data(), std::streamsize(count));
  bytes.resize(size_t(in.gcount()));
  return bytes;
}

// ---------------------------------------------------------------------------
// Pitch: General MIDI instrument n is program n - 1; note 69 is A4 = 440 Hz.

struct PitchCase {
  const char* name;
  std::string soundFont;
  int program;
  int note;
  double expectedHz;
};

void PrintTo(const PitchCase& c, std::ostream* out) { *out << c.name; }

class NotePitch : public testing::TestWithParam<PitchCase> {};

TEST_P(NotePitch, SoundsWithinFifteenCentsOfEqualTemperament) {
  const PitchCase& c = GetParam();
  if (missing(c.soundFont)) GTEST_SKIP() << c.soundFont << " is not installed";
  FluidSynthSynth synth(inMemory({c.soundFont}));
  ASSERT_EQ(synth.waitForSoundFont(), SoundFontState::Loaded);
  const int channel = synth.openChannel("notPitches");
  synth.programChange(channel, c.program);

  synth.noteOn(channel, c.note, kVelocity);
  const std::vector<float> sound = listen(synth, 0.8);

  // After the attack, while the note is steady.
  const auto steady =
      std::span<const float>(sound).subspan(size_t(0.25 * kRateHz), size_t(0.4 * kRateHz));
  ASSERT_GT(rms(steady), 1e-3) << "the note is silent";
  const double hz = audio_test::fundamentalHz(steady, kRateHz);
  EXPECT_NEAR(audio_test::centsBetween(hz, c.expectedHz), 0.0, 15.0) << "measured " << hz << " Hz";
}

INSTANTIATE_TEST_SUITE_P(
    GeneralMidi, NotePitch,
    testing::Values(PitchCase{"TimGM_Piano_C4", kTimGm, 0, 60, 261.63},
                    PitchCase{"TimGM_SteelGuitar_G4", kTimGm, 25, 67, 392.00},
                    PitchCase{"FluidR3_Piano_C4", kFluidR3, 0, 60, 261.63},
                    PitchCase{"FluidR3_SteelGuitar_G4", kFluidR3, 25, 67, 392.00}),
    [](const testing::TestParamInfo<PitchCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// Release: a released note dies away; a held one is still heard at that time.

struct ReleaseCase {
  const char* name;
  std::function<void(FluidSynthSynth&, int channel, int note)> release;
  bool heardAfterwards;
};

void PrintTo(const ReleaseCase& c, std::ostream* out) { *out << c.name; }

class NoteRelease : public testing::TestWithParam<ReleaseCase> {};

TEST_P(NoteRelease, DecidesWhetherTheNoteIsStillHeardTwoSecondsLater) {
  const ReleaseCase& c = GetParam();
  if (missing(kTimGm)) GTEST_SKIP() << kTimGm << " is not installed";
  FluidSynthSynth synth(inMemory({kTimGm}));
  ASSERT_EQ(synth.waitForSoundFont(), SoundFontState::Loaded);
  const int channel = synth.openChannel("notPitches");
  synth.noteOn(channel, 60, kVelocity);
  const double held = rms(lastSeconds(listen(synth, 0.5), 0.1));
  ASSERT_GT(held, 1e-3);

  c.release(synth, channel, 60);
  const double after = rms(lastSeconds(listen(synth, 2.0), 0.1));

  if (c.heardAfterwards) {
    EXPECT_GT(after, held / 100.0);  // within 40 dB of the held level
  } else {
    EXPECT_LT(after, held / 1000.0);  // 60 dB down
  }
}

INSTANTIATE_TEST_SUITE_P(
    Piano, NoteRelease,
    testing::Values(
        ReleaseCase{"Held", [](FluidSynthSynth&, int, int) {}, true},
        ReleaseCase{"NoteOff", [](FluidSynthSynth& s, int ch, int n) { s.noteOff(ch, n); }, false},
        ReleaseCase{"VelocityZero", [](FluidSynthSynth& s, int ch, int n) { s.noteOn(ch, n, 0); },
                    false},
        ReleaseCase{"AllNotesOff", [](FluidSynthSynth& s, int, int) { s.allNotesOff(); }, false}),
    [](const testing::TestParamInfo<ReleaseCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// Channels.

// A new synthesiser starts from silence: FluidSynth leaves its effects' memory
// as the allocator handed it over, which now and then is heard as a click or a
// burst of noise (even inf) at the first sound. About one synthesiser in 300
// showed it, so 2000 in a row all but certainly show a missing reset.
TEST(Synthesiser, EveryNewOneStartsSilent) {
  constexpr int kSynths = 2000;
  int noisy = 0;
  std::vector<float> left(4800), right(4800);
  for (int i = 0; i < kSynths; ++i) {
    FluidSynthSynth synth(inMemory({}));
    synth.waitForSoundFont();
    ASSERT_TRUE(synth.render(left, right));
    const float loudest = std::max(peak(left), peak(right));
    if (!(loudest < kSilence)) ++noisy;
  }
  EXPECT_EQ(noisy, 0) << noisy << " of " << kSynths << " new synthesisers made a sound";
}

TEST(Channels, AreHandedOutInOrderSkippingTheDrumChannelUntilNoneIsLeft) {
  FluidSynthSynth synth(inMemory({}, /*loadOnStart=*/false));
  std::vector<int> channels;
  for (int i = 0; i < 16; ++i) channels.push_back(synth.openChannel("player" + std::to_string(i)));
  EXPECT_EQ(channels, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, -1}));
}

TEST(Channels, EachPlayerKeepsItsOwnInstrument) {
  if (missing(kTimGm)) GTEST_SKIP() << kTimGm << " is not installed";
  FluidSynthSynth together(inMemory({kTimGm}));
  FluidSynthSynth pianoAlone(inMemory({kTimGm}));
  ASSERT_EQ(together.waitForSoundFont(), SoundFontState::Loaded);
  ASSERT_EQ(pianoAlone.waitForSoundFont(), SoundFontState::Loaded);
  const int drill = together.openChannel("notPitches");
  const int melodies = together.openChannel("notMelodies");
  together.programChange(drill, 25);
  const int alone = pianoAlone.openChannel("notMelodies");

  together.noteOn(melodies, 60, kVelocity);
  pianoAlone.noteOn(alone, 60, kVelocity);

  EXPECT_EQ(listen(together, 0.5), listen(pianoAlone, 0.5));
}

// ---------------------------------------------------------------------------
// The SoundFont load: what a person sees on stderr and hears afterwards.

struct LoadCase {
  const char* name;
  // Candidate SoundFonts made in `dir`.
  std::function<std::vector<std::string>(const TempDir& dir)> candidates;
  SoundFontState state;
  std::vector<std::string> lineMentions;  // empty: nothing on stderr
  bool sounds;
  bool usesTimGm = true;  // false: runs without any SoundFont installed
};

void PrintTo(const LoadCase& c, std::ostream* out) { *out << c.name; }

class SoundFontLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(SoundFontLoad, ReportsInOneLineAndSoundsOnlyWhenLoaded) {
  const LoadCase& c = GetParam();
  if (c.usesTimGm && missing(kTimGm)) GTEST_SKIP() << kTimGm << " is not installed";
  TempDir dir;
  const std::vector<std::string> candidates = c.candidates(dir);

  testing::internal::CaptureStderr();
  SoundFontState state;
  std::vector<float> sound;
  {
    FluidSynthSynth synth(inMemory(candidates));
    state = synth.waitForSoundFont();
    const int channel = synth.openChannel("notPitches");
    synth.noteOn(channel, 60, kVelocity);
    sound = listen(synth, 0.3);
  }
  const std::string stderrText = testing::internal::GetCapturedStderr();

  EXPECT_EQ(state, c.state);
  if (c.lineMentions.empty()) {
    EXPECT_EQ(stderrText, "");
  } else {
    EXPECT_EQ(lineCount(stderrText), 1) << stderrText;
    EXPECT_EQ(stderrText.rfind("velmora: ", 0), 0u) << stderrText;
    for (const std::string& text : c.lineMentions) {
      EXPECT_NE(stderrText.find(text), std::string::npos)
          << "missing \"" << text << "\" in " << stderrText;
    }
  }
  if (c.sounds) {
    EXPECT_GT(peak(sound), 0.01f);
  } else {
    EXPECT_LT(peak(sound), kSilence);
  }
}

std::string garbage(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = char((i * 2654435761u) >> 13);
  return bytes;
}

// A RIFF "sfbk" header of the right length around `body`.
std::string riffFramed(const std::string& body) {
  const auto size = uint32_t(body.size() + 4);
  std::string bytes = "RIFF";
  for (int shift = 0; shift < 32; shift += 8) bytes += char((size >> shift) & 0xff);
  return bytes + "sfbk" + body;
}

INSTANTIATE_TEST_SUITE_P(
    Candidates, SoundFontLoad,
    testing::Values(
        LoadCase{"Installed",
                 [](const TempDir&) { return std::vector<std::string>{kTimGm}; },
                 SoundFontState::Loaded,
                 {},
                 true},
        LoadCase{"Missing",
                 [](const TempDir& d) { return std::vector<std::string>{d.absent("gm.sf2")}; },
                 SoundFontState::Missing,
                 {"no General MIDI SoundFont", "gm.sf2", "fluid-soundfont-gm"},
                 false,
                 /*usesTimGm=*/false},
        LoadCase{"Empty",
                 [](const TempDir& d) { return std::vector<std::string>{d.file("gm.sf2", "")}; },
                 SoundFontState::Damaged,
                 {"gm.sf2", "damaged", "reinstall fluid-soundfont-gm"},
                 false,
                 /*usesTimGm=*/false},
        LoadCase{"Garbage",
                 [](const TempDir& d) {
                   return std::vector<std::string>{d.file("gm.sf2", garbage(65536))};
                 },
                 SoundFontState::Damaged,
                 {"gm.sf2", "damaged"},
                 false,
                 /*usesTimGm=*/false},
        LoadCase{"TruncatedInItsSamples",
                 [](const TempDir& d) {
                   return std::vector<std::string>{
                       d.file("gm.sf2", firstBytes(kTimGm, fs::file_size(kTimGm) / 2))};
                 },
                 SoundFontState::Damaged,
                 {"gm.sf2", "damaged"},
                 false},
        LoadCase{"WellFramedGarbage",
                 [](const TempDir& d) {
                   return std::vector<std::string>{d.file("gm.sf2", riffFramed(garbage(65536)))};
                 },
                 SoundFontState::Damaged,
                 {"gm.sf2", "damaged"},
                 false,
                 /*usesTimGm=*/false},
        LoadCase{"DamagedThenInstalled",
                 [](const TempDir& d) {
                   return std::vector<std::string>{d.file("gm.sf2", garbage(4096)), kTimGm};
                 },
                 SoundFontState::Loaded,
                 {"gm.sf2", "damaged", "TimGM6mb.sf2"},
                 true},
        LoadCase{"MissingThenInstalled",
                 [](const TempDir& d) {
                   return std::vector<std::string>{d.absent("gm.sf2"), kTimGm};
                 },
                 SoundFontState::Loaded,
                 {},
                 true}),
    [](const testing::TestParamInfo<LoadCase>& info) { return info.param.name; });

TEST(SoundFontLoad, NotesBeforeTheLoadAreDroppedButTheirInstrumentIsKept) {
  if (missing(kTimGm)) GTEST_SKIP() << kTimGm << " is not installed";
  FluidSynthSynth early(inMemory({kTimGm}, /*loadOnStart=*/false));
  const int channel = early.openChannel("notPitches");
  early.programChange(channel, 25);
  early.noteOn(channel, 67, kVelocity);
  early.startLoading();
  ASSERT_EQ(early.waitForSoundFont(), SoundFontState::Loaded);
  EXPECT_LT(peak(listen(early, 0.3)), kSilence) << "a note from before the load sounded";

  FluidSynthSynth late(inMemory({kTimGm}));
  ASSERT_EQ(late.waitForSoundFont(), SoundFontState::Loaded);
  const int lateChannel = late.openChannel("notPitches");
  late.programChange(lateChannel, 25);
  listen(late, 0.3);  // the same time passes for both

  early.noteOn(channel, 67, kVelocity);
  late.noteOn(lateChannel, 67, kVelocity);
  EXPECT_EQ(listen(early, 0.5), listen(late, 0.5)) << "the guitar chosen while loading was lost";
}

// "Start" pressed while the SoundFont loads: the guitar is chosen, the note
// starts, and later it is released. The loader is held inside the load until
// the note has been asked for, so the note-on meets the load under way.
TEST(SoundFontLoad, ANoteAskedForDuringTheLoadSoundsOnceLoadedAndIsReleased) {
  if (missing(kTimGm)) GTEST_SKIP() << kTimGm << " is not installed";
  constexpr int kNote = 67;
  std::promise<void> loaderInside;
  std::promise<void> noteAsked;
  std::shared_future<void> asked = noteAsked.get_future().share();
  FluidSynthOptions slow = inMemory({kTimGm});
  slow.beforeSoundFont = [&loaderInside, asked] {
    loaderInside.set_value();
    // Until the note-on is under way, and a little longer, so that it has to wait
    // (well within the time a note waits for the load).
    asked.wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  };
  FluidSynthSynth loading(slow);
  const int channel = loading.openChannel("notPitches");
  loaderInside.get_future().wait();
  ASSERT_EQ(loading.soundFontState(), SoundFontState::Loading);
  loading.programChange(channel, 25);
  noteAsked.set_value();
  loading.noteOn(channel, kNote, kVelocity);
  EXPECT_EQ(loading.soundFontState(), SoundFontState::Loaded)
      << "the note-on returned before the SoundFont was in";

  FluidSynthSynth loaded(inMemory({kTimGm}));
  ASSERT_EQ(loaded.waitForSoundFont(), SoundFontState::Loaded);
  const int loadedChannel = loaded.openChannel("notPitches");
  loaded.programChange(loadedChannel, 25);
  loaded.noteOn(loadedChannel, kNote, kVelocity);

  const std::vector<float> sounding = listen(loading, 0.5);
  EXPECT_GT(rms(sounding), 1e-3) << "the note asked for during the load was not heard";
  EXPECT_EQ(sounding, listen(loaded, 0.5)) << "not the same guitar note as after the load";
  loading.noteOff(channel, kNote);
  loaded.noteOff(loadedChannel, kNote);
  const std::vector<float> released = listen(loading, 2.5);
  EXPECT_EQ(released, listen(loaded, 2.5));
  EXPECT_LT(peak(lastSeconds(released, 0.5)), kSilence) << "the note was never released";
}

TEST(SoundFontLoad, TheLastInstrumentChosenWhileTheLoaderWorksIsTheOneHeard) {
  const std::string soundFont = fs::exists(kFluidR3) ? kFluidR3 : kTimGm;
  if (missing(soundFont)) GTEST_SKIP() << soundFont << " is not installed";
  FluidSynthSynth busy(inMemory({soundFont}));
  const int channel = busy.openChannel("notPitches");
  // Changes race the loader's passes over the kept instruments.
  int last = 0;
  for (int i = 0; busy.soundFontState() == SoundFontState::Loading; ++i) {
    last = i % 2 == 0 ? 25 : 0;
    busy.programChange(channel, last);
    std::this_thread::yield();
  }
  ASSERT_EQ(busy.waitForSoundFont(), SoundFontState::Loaded);

  FluidSynthSynth calm(inMemory({soundFont}));
  ASSERT_EQ(calm.waitForSoundFont(), SoundFontState::Loaded);
  const int calmChannel = calm.openChannel("notPitches");
  calm.programChange(calmChannel, last);

  busy.noteOn(channel, 67, kVelocity);
  calm.noteOn(calmChannel, 67, kVelocity);
  EXPECT_EQ(listen(busy, 0.5), listen(calm, 0.5)) << "program " << last << " was lost";
}

TEST(SoundFontLoad, DestroyingTheSynthWhileItLoadsIsSafe) {
  const std::string soundFont = fs::exists(kFluidR3) ? kFluidR3 : kTimGm;
  if (missing(soundFont)) GTEST_SKIP() << soundFont << " is not installed";
  for (int round = 0; round < 3; ++round) {
    FluidSynthSynth synth(inMemory({soundFont}));
    const int channel = synth.openChannel("notPitches");
    synth.programChange(channel, 25);
  }
  FluidSynthSynth neverStarted(inMemory({soundFont}, /*loadOnStart=*/false));
  EXPECT_EQ(neverStarted.waitForSoundFont(), SoundFontState::Waiting);
}

// ---------------------------------------------------------------------------
// A sound server that never answers: the loader is stuck in the audio driver's
// open for as long as the client library waits (about a minute), and neither a
// note nor the shut-down waits for it.

// A Unix socket that takes connections and never answers, as a hung PulseAudio
// or pipewire-pulse does.
class SilentSoundServer {
 public:
  explicit SilentSoundServer(const fs::path& path) {
    socket_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.string().copy(address.sun_path, sizeof address.sun_path - 1);
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket_, 8) != 0) {
      throw std::runtime_error("cannot listen at " + path.string());
    }
  }
  ~SilentSoundServer() {
    for (int fd : clients_) ::close(fd);
    ::close(socket_);
  }
  SilentSoundServer(const SilentSoundServer&) = delete;
  SilentSoundServer& operator=(const SilentSoundServer&) = delete;

  // Takes the connections waiting; how many clients have come so far.
  size_t clients() {
    for (int fd; (fd = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
      clients_.push_back(fd);
    }
    return clients_.size();
  }
  // Whether a client has given up and closed its connection.
  bool aClientLeft() {
    clients();
    for (int fd : clients_) {
      pollfd peer{fd, POLLRDHUP, 0};
      if (::poll(&peer, 1, 0) > 0 && (peer.revents & (POLLRDHUP | POLLHUP)) != 0) return true;
    }
    return false;
  }

 private:
  int socket_ = -1;
  std::vector<int> clients_;
};

// In a process of its own: the loader left behind inside the client library
// outlives the test.
TEST(SoundServer, ANoteAndTheShutDownDoNotWaitForOneThatNeverAnswers) {
  if (!velmora::testing::inFreshProcess()) return velmora::testing::runInFreshProcess();
  if (missing(kTimGm)) GTEST_SKIP() << kTimGm << " is not installed";
  const velmora::testing::TempDir home("velmora-pulse");
  SilentSoundServer server(home / "native");
  velmora::testing::ScopedEnv env;
  env.set("PULSE_SERVER", "unix:" + (home / "native").string());
  for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"}) {
    env.set(name, home.path().string());
  }
  FluidSynthOptions options;
  options.soundFonts = {kTimGm};
  options.sampleRateHz = kRateHz;
  auto synth = std::make_unique<FluidSynthSynth>(options);
  const int channel = synth->openChannel("notPitches");
  const auto patience = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (server.clients() == 0 && std::chrono::steady_clock::now() < patience) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_GT(server.clients(), 0u) << "the audio driver never connected";

  synth->noteOn(channel, 60, kVelocity);
  synth->noteOff(channel, 60);
  EXPECT_FALSE(server.aClientLeft()) << "the note waited until the client library gave up";
  EXPECT_EQ(synth->soundFontState(), SoundFontState::Loading);
  synth.reset();
  EXPECT_FALSE(server.aClientLeft()) << "the shut-down waited until the client library gave up";
}

}  // namespace
