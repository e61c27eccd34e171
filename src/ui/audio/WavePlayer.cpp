#include "ui/audio/WavePlayer.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>
#include <cstdlib>

#include "ui/audio/WaveDataReader.h"

namespace varnel {

namespace {

// How often the end of a play is looked for once the last byte has been handed over.
constexpr int kTailPollMs = 20;
// Extra time allowed beyond the sink's buffer before a play counts as ended anyway.
constexpr int64_t kTailSlackMs = 250;

}  // namespace

void NameSoundStreams(const char* name) {
  // The sound server takes a client's name from these properties; a user's own setting
  // is left alone.
  if (std::getenv("PULSE_PROP_OVERRIDE") != nullptr) return;
  const std::string props = std::string("application.name='") + name + "' media.role='music'";
  setenv("PULSE_PROP_OVERRIDE", props.c_str(), 0);
}

QAudioFormat WaveAudioFormat(const WaveDataInfo& info) {
  QAudioFormat format;
  if ((info.Channels != 1 && info.Channels != 2) || info.SampleRate <= 0) return format;
  if (info.BitsPerSample == 8) {
    format.setSampleFormat(QAudioFormat::UInt8);
  } else if (info.BitsPerSample == 16) {
    format.setSampleFormat(QAudioFormat::Int16);
  } else {
    return format;
  }
  format.setChannelCount(info.Channels);
  format.setSampleRate(info.SampleRate);
  return format;
}

WavePlayer::WavePlayer(QObject* parent) : QObject(parent) {
  TailTimer_.setInterval(kTailPollMs);
  connect(&TailTimer_, &QTimer::timeout, this, &WavePlayer::CheckTail);
}

WavePlayer::~WavePlayer() {
  Notify = nullptr;
  Close();
}

bool WavePlayer::Open(const std::string& path) {
  Close();
  OpenFailure_.clear();
  WaveDataInfo info;
  const QAudioFormat format =
      !path.empty() && ReadPreviewWave(path, info) ? WaveAudioFormat(info) : QAudioFormat();
  if (!format.isValid()) {
    OpenFailure_ = "Play is unavailable: the file is not a PCM wave file that can be played.";
    return false;
  }
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) {
    OpenFailure_ =
        "Play is unavailable: no sound output was found (is a sound server such as "
        "PulseAudio or PipeWire running?).";
    return false;
  }
  if (!device.isFormatSupported(format)) {
    OpenFailure_ = "Play is unavailable: the sound output \"" + device.description().toStdString() +
                   "\" cannot play " + std::to_string(info.SampleRate) + " Hz, " +
                   std::to_string(info.Channels) + "-channel, " +
                   std::to_string(info.BitsPerSample) + "-bit sound.";
    return false;
  }
  Path_ = path;
  Info_ = info;
  Format_ = format;
  Sink_ = std::make_unique<QAudioSink>(device, format);
  connect(Sink_.get(), &QAudioSink::stateChanged, this, &WavePlayer::SinkStateChanged);
  return true;
}

bool WavePlayer::Play(int32_t position) {
  if (!Sink_) return false;
  const int64_t dataSize = std::max<int64_t>(0, Info_.DataSize);
  const int64_t offset =
      std::min<int64_t>(int64_t{std::max(0, position)} * kBytesPerSample, dataSize);
  // A sample frame of the system is four bytes; in a file of smaller frames the play starts
  // on the frame that holds that byte.
  const int32_t align = std::max(1, Format_.bytesPerFrame());
  const int64_t begin = int64_t{Info_.DataOffset} + offset - offset % align;
  const int64_t end = int64_t{Info_.DataOffset} + dataSize;
  auto reader = std::make_unique<WaveDataReader>();
  if (!reader->OpenRegion(QString::fromStdString(Path_), begin, end, align)) return false;

  const int64_t bytesPerSecond = std::max(1, Format_.bytesForDuration(1000000));
  const int64_t playUSecs = reader->bytesAvailable() * 1000000 / bytesPerSecond;

  if (Playing_) EndPlay(PlayOutcome::Superseded);
  Reader_ = std::move(reader);
  Sink_->start(Reader_.get());
  if (Sink_->error() != QAudio::NoError || Sink_->state() == QAudio::StoppedState) {
    Sink_->stop();
    Reader_.reset();
    return false;
  }
  Playing_ = true;
  Draining_ = false;
  PlayStartByte_ = begin;
  PlayUSecs_ = playUSecs;
  return true;
}

int32_t WavePlayer::PlayedPosition() const {
  if (!Playing_ || !Sink_) return -1;
  const int64_t played = Format_.bytesForDuration(std::max<qint64>(0, Sink_->processedUSecs()));
  const int64_t dataSize = std::max<int64_t>(0, Info_.DataSize);
  const int64_t byte = std::min(PlayStartByte_ - Info_.DataOffset + played, dataSize);
  return static_cast<int32_t>(std::max<int64_t>(0, byte) / kBytesPerSample);
}

void WavePlayer::Stop() {
  if (Playing_) EndPlay(PlayOutcome::Aborted);
}

void WavePlayer::Close() {
  Stop();
  if (Sink_) {
    Sink_->disconnect(this);
    Sink_.reset();
  }
  Reader_.reset();
  Path_.clear();
  Info_ = WaveDataInfo{};
}

void WavePlayer::SinkStateChanged() {
  if (!Playing_ || !Sink_) return;
  switch (Sink_->state()) {
    case QAudio::IdleState:
      // Idle with the reader at its end: every byte has been handed over; what the sink
      // still buffers plays on.
      if (Reader_ && Reader_->atEnd() && !Draining_) {
        Draining_ = true;
        const int64_t bufferMs =
            Format_.durationForBytes(static_cast<qint32>(Sink_->bufferSize())) / 1000;
        TailLimitMs_ = std::max<int64_t>(bufferMs, 0) + kTailSlackMs;
        TailClock_.start();
        TailTimer_.start();
      }
      break;
    case QAudio::StoppedState:
      // Stopped by the sound system itself (the server went away, a write failed).
      if (Sink_->error() != QAudio::NoError) EndPlay(PlayOutcome::Failure);
      break;
    default:
      break;
  }
}

void WavePlayer::CheckTail() {
  if (!Playing_ || !Sink_) {
    TailTimer_.stop();
    return;
  }
  if (Sink_->processedUSecs() >= PlayUSecs_ || TailClock_.elapsed() >= TailLimitMs_) {
    EndPlay(PlayOutcome::Successful);
  }
}

void WavePlayer::EndPlay(PlayOutcome code) {
  Playing_ = false;
  Draining_ = false;
  TailTimer_.stop();
  if (Sink_) Sink_->stop();
  Reader_.reset();
  Report(code);
}

void WavePlayer::Report(PlayOutcome code) {
  QMetaObject::invokeMethod(
      this,
      [this, code] {
        if (Notify) Notify(code);
      },
      Qt::QueuedConnection);
}

}  // namespace varnel
