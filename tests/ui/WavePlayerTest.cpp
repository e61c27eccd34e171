// The preview player on QAudioSink: its reader of the data region, the formats it plays,
// and real sound through a PulseAudio server of the test's own, with a null sink and a
// capture sink (a pipe sink that writes everything it plays into a FIFO, sample for
// sample). The sound cases run in child test processes (Qt's sound system connects to a
// server once per process and plays to the default sink it finds then).
#include "ui/audio/WavePlayer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAudioSink>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include "support/FakePrompter.h"
#include "support/RunProcess.h"
#include "support/TestFiles.h"
#include "ui/audio/WaveDataReader.h"
#include "ui/dialogs/PositionEditorDialog.h"
#include "ui/widgets/WaveformWidget.h"

extern char** environ;

namespace varnel {
namespace {

// ---- the reader and the formats

std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i % 251);
  return bytes;
}

QByteArray ReadAllInSteps(WaveDataReader& r, qint64 step) {
  QByteArray all;
  for (int guard = 0; guard < 100000; ++guard) {
    const QByteArray part = r.read(step);
    if (part.isEmpty()) break;
    all += part;
  }
  return all;
}

TEST(WaveDataReader, ReadsExactlyTheRegionItWasGiven) {
  test::TempDir dir;
  const std::vector<uint8_t> bytes = Counting(1000);
  test::WriteBytes(dir / "f.bin", bytes);
  const QString path = QString::fromStdString(dir / "f.bin");

  WaveDataReader r;
  ASSERT_TRUE(r.OpenRegion(path, 100, 1000));
  EXPECT_EQ(r.bytesAvailable(), 900);
  EXPECT_FALSE(r.atEnd());
  const QByteArray got = ReadAllInSteps(r, 64);
  ASSERT_EQ(got.size(), 900);
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(bytes.data()) + 100, 900), got);
  EXPECT_TRUE(r.atEnd());
  EXPECT_EQ(r.bytesAvailable(), 0);
  EXPECT_EQ(r.Next(), 1000);

  // A region that runs past the end of the file ends where the file does.
  ASSERT_TRUE(r.OpenRegion(path, 990, 5000));
  EXPECT_EQ(ReadAllInSteps(r, 4).size(), 10);
  EXPECT_TRUE(r.atEnd());
  // An empty region is at its end at once.
  ASSERT_TRUE(r.OpenRegion(path, 1000, 1000));
  EXPECT_TRUE(r.atEnd());
  EXPECT_TRUE(r.read(16).isEmpty());

  // In whole frames: a region or a file that ends inside a frame ends before that frame.
  ASSERT_TRUE(r.OpenRegion(path, 100, 1002, 4));
  EXPECT_EQ(r.bytesAvailable(), 900);
  ASSERT_TRUE(r.OpenRegion(path, 2, 5000, 4));
  const QByteArray whole = ReadAllInSteps(r, 400);
  EXPECT_EQ(whole.size(), 996);
  EXPECT_EQ(whole.left(4), QByteArray("\x02\x03\x04\x05", 4));
  EXPECT_TRUE(r.atEnd());

  EXPECT_FALSE(r.OpenRegion(path, 10, 5));
  EXPECT_FALSE(r.OpenRegion(path, -4, 5));
  EXPECT_FALSE(r.OpenRegion(QString::fromStdString(dir / "missing.bin"), 0, 10));
  EXPECT_TRUE(r.atEnd());
}

TEST(WaveDataReader, FormatsOfThePlayableWaveFiles) {
  const QAudioFormat cd = WaveAudioFormat(WaveDataInfo{44, 0, 2, 16, 44100});
  EXPECT_EQ(cd.sampleFormat(), QAudioFormat::Int16);
  EXPECT_EQ(cd.channelCount(), 2);
  EXPECT_EQ(cd.sampleRate(), 44100);
  EXPECT_EQ(cd.bytesPerFrame(), 4);
  const QAudioFormat small = WaveAudioFormat(WaveDataInfo{44, 0, 1, 8, 22050});
  EXPECT_EQ(small.sampleFormat(), QAudioFormat::UInt8);
  EXPECT_EQ(small.bytesPerFrame(), 1);
  EXPECT_FALSE(WaveAudioFormat(WaveDataInfo{44, 0, 2, 24, 44100}).isValid());
  EXPECT_FALSE(WaveAudioFormat(WaveDataInfo{44, 0, 3, 16, 44100}).isValid());
  EXPECT_FALSE(WaveAudioFormat(WaveDataInfo{44, 0, 2, 16, 0}).isValid());
}

// Checked before any sound device is asked for.
TEST(WavePlayer, OpenRefusesWhatIsNotAPcmWaveFile) {
  test::TempDir dir;
  test::WriteText(dir / "t.wav", "not a wave file at all");
  WavePlayer player;
  EXPECT_FALSE(player.Open(dir / "t.wav"));
  EXPECT_FALSE(player.Open(dir / "missing.wav"));
  EXPECT_FALSE(player.Open(""));
  EXPECT_FALSE(player.IsOpen());
  EXPECT_FALSE(player.Play(0));
  player.Stop();
  player.Close();
  EXPECT_FALSE(player.IsPlaying());
}

// ---- real sound

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string dirs = path;
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Sets environment variables for its lifetime (for the processes started meanwhile).
class ScopedEnv {
 public:
  explicit ScopedEnv(const std::map<std::string, std::string>& vars) {
    for (const auto& [name, value] : vars) {
      const char* old = std::getenv(name.c_str());
      Saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
      setenv(name.c_str(), value.c_str(), 1);
    }
  }
  ~ScopedEnv() {
    for (const auto& [name, value] : Saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> Saved_;
};

// A PulseAudio server with a null sink, private to the test: its own runtime folder, no
// configuration read, stopped (by its process id) when the object goes.
class SoundServer {
 public:
  bool Start() {
    chmod(Runtime.Path().c_str(), 0700);
    test::WriteText(Runtime / "client.conf", "autospawn = no\n");
    ScopedEnv env(Env());
    const test::ProcessResult started =
        test::RunProcess({"pulseaudio", "-D", "-n", "--exit-idle-time=-1", "--disallow-exit", "-L",
                          "module-native-protocol-unix auth-anonymous=1", "-L",
                          "module-null-sink sink_name=nullsink", "-L",
                          "module-pipe-sink sink_name=capture format=s16le rate=44100 channels=2 "
                          "use_system_clock_for_timing=yes file=" +
                              Fifo(),
                          "-L", "module-always-sink"});
    if (started.ExitCode != 0) {
      ADD_FAILURE() << "pulseaudio did not start: " << started.Err;
      return false;
    }
    Pid_ = std::atoi(test::ReadText(Runtime / "pulse/pid").c_str());
    for (int i = 0; i < 250; ++i) {
      if (test::RunProcess({"pactl", "info"}).ExitCode == 0) return Pid_ > 0;
      usleep(20000);
    }
    ADD_FAILURE() << "pactl info never answered";
    return false;
  }
  ~SoundServer() {
    if (Pid_ <= 0) return;
    kill(Pid_, SIGTERM);
    for (int i = 0; i < 200 && kill(Pid_, 0) == 0; ++i) usleep(10000);
  }
  std::string Fifo() const { return Runtime / "capture.fifo"; }
  bool SetDefaultSink(const std::string& name) {
    ScopedEnv env(Env());
    return test::RunProcess({"pactl", "set-default-sink", name}).ExitCode == 0;
  }
  std::map<std::string, std::string> Env() const {
    return {{"XDG_RUNTIME_DIR", Runtime.Path()},
            {"PULSE_SERVER", "unix:" + Runtime / "pulse/native"},
            {"PULSE_CLIENTCONFIG", Runtime / "client.conf"},
            {"HOME", Runtime.Path()}};
  }

  test::TempDir Runtime;

 private:
  pid_t Pid_ = -1;
};

// Runs this test program again on `filter` with `env`; the child's cases must all pass,
// none skipped.
void RunChild(const std::string& filter, const std::map<std::string, std::string>& env,
              int expectedCases) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  test::ProcessResult r;
  {
    ScopedEnv scoped(env);
    r = test::RunProcess({"timeout", "120", self, "--gtest_filter=" + filter});
  }
  EXPECT_EQ(r.ExitCode, 0) << r.Out << r.Err;
  EXPECT_NE(r.Out.find("[  PASSED  ] " + std::to_string(expectedCases) + " test"),
            std::string::npos)
      << r.Out;
  EXPECT_EQ(r.Out.find("[  SKIPPED ]"), std::string::npos) << r.Out;
}

TEST(WavePlayerRealSound, PlayStopAndCompletionThroughPulseAudio) {
  if (!OnPath("pulseaudio") || !OnPath("pactl")) {
    GTEST_SKIP() << "pulseaudio and pulseaudio-utils are not installed";
  }
  SoundServer server;
  ASSERT_TRUE(server.Start());
  std::map<std::string, std::string> env = server.Env();
  env["VARNEL_SOUND_CHILD"] = "1";
  env["VARNEL_CAPTURE_FIFO"] = server.Fifo();
  ASSERT_TRUE(server.SetDefaultSink("capture"));
  RunChild("SoundChild.PlayFromTheCursorIsSampleExact", env, 1);
  ASSERT_TRUE(server.SetDefaultSink("nullsink"));
  RunChild("SoundChild.*:-SoundChild.PlayFromTheCursorIsSampleExact", env, 3);
}

TEST(WavePlayerRealSound, WithoutAServerPlayIsDisabled) {
  test::TempDir runtime;
  chmod(runtime.Path().c_str(), 0700);
  test::WriteText(runtime / "client.conf", "autospawn = no\n");
  RunChild("NoSoundChild.*",
           {{"VARNEL_NO_SOUND_CHILD", "1"},
            {"XDG_RUNTIME_DIR", runtime.Path()},
            {"PULSE_SERVER", "unix:" + runtime / "no-such-server"},
            {"PULSE_CLIENTCONFIG", runtime / "client.conf"}},
           1);
}

// ---- the child's cases

// Sample frame i of these files tells its own index: left 1 + i mod 30000, right
// 1 + i / 30000, never silent.
std::string WriteNumberedWave(const std::string& path, int32_t frames) {
  std::vector<uint8_t> data;
  data.reserve(static_cast<size_t>(frames) * 4);
  for (int32_t i = 0; i < frames; ++i) {
    test::PutLe16(data, static_cast<uint16_t>(1 + i % 30000));
    test::PutLe16(data, static_cast<uint16_t>(1 + i / 30000));
  }
  test::WriteBytes(path, test::WaveBytes(data));
  return path;
}

// A program running in the background with its standard output in a file.
class Background {
 public:
  Background(const std::vector<std::string>& argv, const std::string& outPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (posix_spawnp(&Pid_, args[0], &actions, nullptr, args.data(), environ) != 0) Pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Background() { Stop(); }
  bool Running() const { return Pid_ > 0; }
  void Stop() {
    if (Pid_ <= 0) return;
    kill(Pid_, SIGINT);
    int status = 0;
    waitpid(Pid_, &status, 0);
    Pid_ = -1;
  }

 private:
  pid_t Pid_ = -1;
};

class SoundChild : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("VARNEL_SOUND_CHILD") == nullptr) {
      GTEST_SKIP() << "run by WavePlayerRealSound with a sound server of its own";
    }
  }
  test::TempDir Dir;
  test::FakePrompter Prompter;
};

// The dialog's own player: Enter in the cursor field plays from that very sample frame
// to the end of the file, every sample frame as it is in the file, as the capture sink
// (the default sink of this case) proves.
TEST_F(SoundChild, PlayFromTheCursorIsSampleExact) {
  constexpr int32_t kFrames = 44100 * 2;
  constexpr int32_t kFrom = 50001;
  const char* fifo = std::getenv("VARNEL_CAPTURE_FIFO");
  ASSERT_NE(fifo, nullptr);
  const std::string path = WriteNumberedWave(Dir / "n.wav", kFrames);
  Background recorder({"cat", fifo}, Dir / "rec.raw");
  ASSERT_TRUE(recorder.Running());
  QTest::qWait(200);

  PositionEditorDialog dlg(Prompter);
  ASSERT_NE(dlg.Player(), nullptr);
  int32_t start = 0, end = kFrames;
  dlg.Editor().SetupPositions(path, WaveDataInfo{44, kFrames * 4, 2, 16, 44100}, &start, &end,
                              nullptr, nullptr);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  ASSERT_TRUE(dlg.findChild<QPushButton*>("PlayBtn")->isEnabled());
  auto* pos = dlg.findChild<QLineEdit*>("PosEdit");
  pos->setFocus();
  pos->selectAll();
  QTest::keyClicks(pos, "0000050001");
  QTest::keyClick(pos, Qt::Key_Return);
  ASSERT_TRUE(dlg.Editor().Playing());
  EXPECT_EQ(dlg.Player()->PlayStartByte(), 44 + int64_t{kFrom} * 4);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.Editor().Playing(); },
                              (kFrames - kFrom) * 1000 / 44100 + 3000));
  QTest::qWait(300);
  recorder.Stop();
  dlg.reject();

  const std::vector<uint8_t> rec = test::ReadBytes(Dir / "rec.raw");
  const size_t frames = rec.size() / 4;
  auto index = [&rec](size_t f) -> int64_t {
    const int l = rec[4 * f] | (rec[4 * f + 1] << 8);
    const int r = rec[4 * f + 2] | (rec[4 * f + 3] << 8);
    return l == 0 && r == 0 ? -1 : int64_t{r - 1} * 30000 + (l - 1);
  };
  size_t first = 0;
  while (first < frames && index(first) < 0) ++first;
  ASSERT_LT(first, frames) << "nothing was heard";
  EXPECT_GT(first, 0u) << "the capture started after the sound";
  EXPECT_EQ(index(first), kFrom);
  // Every following sample frame, in order, to the end of the file; then silence.
  size_t n = 0;
  while (first + n < frames && index(first + n) == kFrom + static_cast<int64_t>(n)) ++n;
  EXPECT_EQ(n, static_cast<size_t>(kFrames - kFrom));
  for (size_t f = first + n; f < frames; ++f) {
    ASSERT_EQ(index(f), -1) << "sound after the end, at recorded frame " << f;
  }
}

// Stop ends the stream before it returns; a play replaced by another is reported as
// superseded, a stopped one as aborted, neither as successful.
TEST_F(SoundChild, StopEndsTheStreamAtOnce) {
  const std::string path = test::WriteWave(Dir / "s.wav", {{44100 * 5, false}});
  WavePlayer player;
  std::vector<PlayOutcome> reports;
  player.Notify = [&](PlayOutcome code) { reports.push_back(code); };
  ASSERT_TRUE(player.Open(path));
  ASSERT_TRUE(player.Play(0));
  QTest::qWait(300);
  ASSERT_TRUE(player.Play(44100));
  EXPECT_TRUE(reports.empty());  // reported later, never from inside the call
  QTest::qWait(300);
  EXPECT_EQ(player.Sink()->state(), QAudio::ActiveState);
  player.Stop();
  EXPECT_FALSE(player.IsPlaying());
  EXPECT_EQ(player.Sink()->state(), QAudio::StoppedState);
  const test::ProcessResult inputs = test::RunProcess({"pactl", "list", "short", "sink-inputs"});
  EXPECT_EQ(inputs.ExitCode, 0);
  EXPECT_EQ(inputs.Out, "") << "a stream is still playing";
  QTest::qWait(500);
  EXPECT_EQ(reports, (std::vector<PlayOutcome>{PlayOutcome::Superseded, PlayOutcome::Aborted}));
  player.Close();
  EXPECT_FALSE(player.IsOpen());
}

// Play runs to the end of a short file; the completion reaches the editor once the
// sound has been played, and a later track bar move stays silent.
TEST_F(SoundChild, CompletionAtTheEndClearsPlaying) {
  const std::string path = test::WriteWave(Dir / "c.wav", {{44100 / 2, false}});
  PositionEditorDialog dlg(Prompter);
  int32_t start = 0, end = 0;
  dlg.Editor().SetupPositions(path, WaveDataInfo{44, 44100 * 2, 2, 16, 44100}, &start, &end,
                              nullptr, nullptr);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  QElapsedTimer clock;
  clock.start();
  QTest::mouseClick(dlg.findChild<QPushButton*>("PlayBtn"), Qt::LeftButton);
  ASSERT_TRUE(dlg.Player()->IsPlaying());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.Editor().Playing(); }, 500 + 3000));
  EXPECT_GE(clock.elapsed(), 400) << "reported before the sound could have been played";
  EXPECT_FALSE(dlg.Player()->IsPlaying());
  auto* bar = dlg.findChild<QSlider*>("TrackBar");
  bar->setFocus();
  QTest::keyClick(bar, Qt::Key_Right);
  EXPECT_FALSE(dlg.Player()->IsPlaying());
  dlg.reject();
  EXPECT_FALSE(dlg.Player()->IsOpen());
}

// While the file plays, the track bar and the waveform's playhead move with the sound, as
// the sink has played it; the sound server lists the stream under the program's name.
TEST_F(SoundChild, PlayheadFollowsTheSoundAndTheStreamIsNamed) {
  const std::string path = test::WriteWave(Dir / "p.wav", {{44100 * 6, false}});
  PositionEditorDialog dlg(Prompter);
  int32_t start = 0, end = 0;
  dlg.Editor().SetupPositions(path, WaveDataInfo{44, 44100 * 4 * 6, 2, 16, 44100}, &start, &end,
                              nullptr, nullptr);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  auto* bar = dlg.findChild<QSlider*>("TrackBar");
  bar->setValue(1);  // from second 1
  QTest::mouseClick(dlg.findChild<QPushButton*>("PlayBtn"), Qt::LeftButton);
  ASSERT_TRUE(dlg.Editor().Playing());
  QElapsedTimer clock;
  clock.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() >= 3; }, 5000));
  const int64_t heard = dlg.Editor().Playhead();
  // Not before the sound could have been played, and following it closely.
  EXPECT_GE(clock.elapsed(), 1500);
  EXPECT_GE(heard, 44100 * 3);
  EXPECT_LE(heard, 44100 + clock.elapsed() * 441 / 10 + 44100 / 2);
  EXPECT_NEAR(dlg.Strip()->Playhead(), heard, 44100 / 5);  // drawn at the last tick
  EXPECT_EQ(dlg.Editor().CursorPos(), 44100);              // the cursor stays

  const test::ProcessResult inputs = test::RunProcess({"pactl", "list", "sink-inputs"});
  EXPECT_NE(inputs.Out.find("application.name = \"Varnel\""), std::string::npos) << inputs.Out;
  dlg.reject();
}

TEST(NoSoundChild, PlayIsDisabledWithoutAServer) {
  if (std::getenv("VARNEL_NO_SOUND_CHILD") == nullptr) {
    GTEST_SKIP() << "run by WavePlayerRealSound without a sound server";
  }
  test::TempDir dir;
  test::FakePrompter prompter;
  const std::string path = test::WriteWave(dir / "s.wav", {{44100, false}});
  WavePlayer player;
  EXPECT_FALSE(player.Open(path));
  PositionEditorDialog dlg(prompter);
  int32_t start = 0, end = 44100;
  dlg.Editor().SetupPositions(path, WaveDataInfo{44, 44100 * 4, 2, 16, 44100}, &start, &end,
                              nullptr, nullptr);
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  // Play stays available, says why it cannot play, and tries again when pressed.
  auto* play = dlg.findChild<QPushButton*>("PlayBtn");
  EXPECT_TRUE(play->isEnabled());
  EXPECT_NE(play->toolTip().indexOf("no sound output"), -1) << play->toolTip().toStdString();
  QTest::mouseClick(play, Qt::LeftButton);
  EXPECT_FALSE(dlg.Editor().Playing());
  auto* pos = dlg.findChild<QLineEdit*>("PosEdit");
  pos->setFocus();
  QTest::keyClick(pos, Qt::Key_Return);
  EXPECT_FALSE(dlg.Editor().Playing());
  EXPECT_TRUE(prompter.Log.empty());
  dlg.reject();
}

}  // namespace
}  // namespace varnel
