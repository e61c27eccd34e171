// Preview playback through the sound system: the position editor's device, playing a wave
// file with QAudioSink from an exact sample frame to the end of its data.
//
// The sink is fed by our own reader of the file's data region (WaveDataReader), which starts
// at byte DataOffset + 4 × position, so a play starts on the very sample frame asked for (no
// conversion to milliseconds anywhere). Every operation runs on the thread that owns the
// player (the UI thread); the end of each play is reported later, from that thread's event
// loop, never from inside the call that caused it.
#pragma once

#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/ports/PreviewDevice.h"

class QAudioSink;

namespace varnel {

class WaveDataReader;

// Gives the program's sound streams `name` in the sound server (the desktop's sound
// settings list them by it). Called once at start, before any sound is played.
void NameSoundStreams(const char* name);

// The QAudioSink format of a wave file's data as ReadWaveHeader describes it (PCM, 8 bits
// unsigned or 16 bits signed, 1 or 2 channels); an invalid format for anything else.
QAudioFormat WaveAudioFormat(const WaveDataInfo& info);

class WavePlayer : public QObject, public PreviewDevice {
  Q_OBJECT
 public:
  explicit WavePlayer(QObject* parent = nullptr);
  ~WavePlayer() override;

  // Reads the file's wave header and takes the default audio output for its format.
  // False (nothing open) when the file is no readable PCM wave file, when there is no
  // audio output (no sound server), or when the output cannot play the format.
  bool Open(const std::string& path) override;
  // Plays from sample frame `position` (held within the data) to the end of the data. A
  // running play is replaced and reported as superseded. False when nothing is open or
  // the sink refuses to start.
  bool Play(int32_t position) override;
  // Stops at once: the stream is gone when this returns. A running play is reported as
  // aborted.
  void Stop() override;
  // Stops and releases the sink and the file.
  void Close() override;
  // The sample frame being heard: the play's start plus the sound the sink has processed.
  int32_t PlayedPosition() const override;
  // Why the last Open failed: no PCM wave file, no sound output, a format it cannot play.
  std::string OpenFailure() const override { return OpenFailure_; }

  // Receives how each play ended, on this object's thread, after the call that ended it
  // has returned. A play is reported once.
  std::function<void(PlayOutcome)> Notify;

  bool IsOpen() const { return Sink_ != nullptr; }
  // A play is running (started and not yet ended, stopped or replaced).
  bool IsPlaying() const { return Playing_; }
  const WaveDataInfo& Info() const { return Info_; }
  // The file byte the running or last play started at; −1 before the first play.
  int64_t PlayStartByte() const { return PlayStartByte_; }
  QAudioSink* Sink() const { return Sink_.get(); }

 private:
  void SinkStateChanged();
  // After the reader has handed over its last byte: waits for the sound still buffered
  // to be played, then reports success.
  void CheckTail();
  // Ends the running play: the sink stopped, the reader closed, the report queued.
  void EndPlay(PlayOutcome code);
  void Report(PlayOutcome code);

  std::string Path_;
  std::string OpenFailure_;
  WaveDataInfo Info_;
  QAudioFormat Format_;
  std::unique_ptr<QAudioSink> Sink_;
  std::unique_ptr<WaveDataReader> Reader_;
  bool Playing_ = false;
  bool Draining_ = false;
  int64_t PlayStartByte_ = -1;
  // Microseconds of sound the running play hands to the sink.
  int64_t PlayUSecs_ = 0;
  QTimer TailTimer_;
  QElapsedTimer TailClock_;
  int64_t TailLimitMs_ = 0;
};

}  // namespace varnel
