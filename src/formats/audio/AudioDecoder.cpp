#include "formats/audio/AudioDecoder.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "formats/audio/PcmConverter.h"
#include "formats/audio/SourceReader.h"
#include "formats/audio/WaveHeader.h"
#include "model/LittleEndian.h"
#include "model/PathNames.h"

namespace varnel {

namespace {

constexpr size_t kBlockFrames = 4096;
constexpr int32_t kCdRate = 44100;
constexpr int64_t kCdFrameSamples = 588;
// Rates outside these are no audio a CD could take, and would make the resampler's
// buffers absurd.
constexpr int32_t kMinRate = 4000;
constexpr int32_t kMaxRate = 768000;

// Calls the progress function when the fraction has grown by a percent, and at the end.
class ProgressReport {
 public:
  explicit ProgressReport(const DecodeProgress& progress) : Progress_(progress) {}
  void Update(double fraction) {
    if (!Progress_) return;
    fraction = std::clamp(fraction, 0.0, 1.0);
    if (fraction >= Last_ + 0.01) {
      Last_ = fraction;
      Progress_(fraction);
    }
  }
  void Done() {
    if (Progress_) Progress_(1.0);
  }

 private:
  const DecodeProgress& Progress_;
  double Last_ = 0.0;
};

void CheckCancel(const std::atomic<bool>* cancel) {
  if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) throw DecodeCanceled();
}

// The 44-byte header at byte 0 first, declaring no audio; the audio in large writes; the
// two size fields last.
class WaveFileSink : public AudioSink {
 public:
  explicit WaveFileSink(PosixFile& out) : Out_(out) {
    unsigned char header[44];
    BuildWaveHeader(WaveDataInfo{44, 0, 2, 16, kCdRate}, header);
    Out_.WriteAllAt(0, header, sizeof header);
    Buffer_.reserve(kBufferBytes);
  }

  void Write(const int16_t* frames, size_t count) override {
    const size_t samples = count * 2;
    for (size_t done = 0; done < samples;) {
      const size_t n = std::min(samples - done, (kBufferBytes - Buffer_.size()) / 2);
      const size_t at = Buffer_.size();
      Buffer_.resize(at + n * 2);
      if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(Buffer_.data() + at, frames + done, n * 2);
      } else {
        for (size_t i = 0; i < n; ++i) {
          const auto v = static_cast<uint16_t>(frames[done + i]);
          Buffer_[at + 2 * i] = static_cast<unsigned char>(v);
          Buffer_[at + 2 * i + 1] = static_cast<unsigned char>(v >> 8);
        }
      }
      done += n;
      if (Buffer_.size() == kBufferBytes) Flush();
    }
  }

  void Finish() {
    Flush();
    unsigned char field[4];
    PutLe32(field, static_cast<uint32_t>(36 + DataBytes_));
    Out_.WriteAllAt(4, field, 4);
    PutLe32(field, static_cast<uint32_t>(DataBytes_));
    Out_.WriteAllAt(40, field, 4);
  }

 private:
  static constexpr size_t kBufferBytes = 256 * 1024;

  void Flush() {
    if (Buffer_.empty()) return;
    Out_.WriteAllAt(44 + DataBytes_, Buffer_.data(), Buffer_.size());
    DataBytes_ += static_cast<int64_t>(Buffer_.size());
    Buffer_.clear();
  }

  PosixFile& Out_;
  std::vector<unsigned char> Buffer_;
  int64_t DataBytes_ = 0;
};

template <typename Sample>
void Pump(SourceReader& reader, PcmConverter& converter, int32_t channels, DecodeSummary& summary,
          ProgressReport& report, const std::atomic<bool>* cancel) {
  std::vector<Sample> block(kBlockFrames * static_cast<size_t>(channels));
  while (true) {
    CheckCancel(cancel);
    size_t n;
    if constexpr (std::is_same_v<Sample, int16_t>) {
      n = reader.ReadShorts(block.data(), kBlockFrames);
      converter.PutShorts(block.data(), n);
    } else {
      n = reader.ReadFloats(block.data(), kBlockFrames);
      converter.PutFloats(block.data(), n);
    }
    if (n == 0) break;
    summary.SourceFrames += static_cast<int64_t>(n);
    report.Update(reader.Progress());
  }
}

}  // namespace

// ---- kinds ----------------------------------------------------------------------------

std::optional<SourceKind> SourceKindFromPath(const std::string& path) {
  const std::string ext = LowerExtensionOf(path);
  if (ext == ".mp3") return SourceKind::Mp3;
  if (ext == ".flac") return SourceKind::Flac;
  if (ext == ".aif" || ext == ".aiff") return SourceKind::Aiff;
  if (ext == ".ogg" || ext == ".oga") return SourceKind::Ogg;
  if (ext == ".opus") return SourceKind::Opus;
  return std::nullopt;
}

std::optional<SourceKind> DecodableKindFromPath(const std::string& path) {
  if (LowerExtensionOf(path) == ".wav") return SourceKind::Wave;
  return SourceKindFromPath(path);
}

const char* SourceKindText(SourceKind kind) {
  switch (kind) {
    case SourceKind::Mp3:
      return "MP3";
    case SourceKind::Flac:
      return "FLAC";
    case SourceKind::Aiff:
      return "AIFF";
    case SourceKind::Ogg:
      return "OGG";
    case SourceKind::Opus:
      return "OPUS";
    case SourceKind::Wave:
      return "WAVE";
  }
  return "";
}

WaveDataInfo DecodeSummary::WaveInfo() const {
  return WaveDataInfo{44, static_cast<int32_t>(FramesWritten * 4), 2, 16, kCdRate};
}

// ---- reading through callbacks --------------------------------------------------------

size_t CallbackInput::Read(void* buffer, size_t size) {
  if (Error || Offset < 0) return 0;
  try {
    const size_t n = File.ReadAt(Offset, buffer, size);
    Offset += static_cast<int64_t>(n);
    return n;
  } catch (...) {
    Error = std::current_exception();
    return 0;
  }
}

int64_t CallbackInput::Seek(int64_t offset, int whence) {
  int64_t base = 0;
  if (whence == SEEK_CUR) {
    base = Offset;
  } else if (whence == SEEK_END) {
    base = Length;
  } else if (whence != SEEK_SET) {
    return -1;
  }
  int64_t to = 0;
  if (__builtin_add_overflow(base, offset, &to) || to < 0) return -1;
  Offset = to;
  return to;
}

// ---- decoding -------------------------------------------------------------------------

DecodeSummary DecodeAudio(const std::string& path, SourceKind kind, AudioSink& sink,
                          const DecodeOptions& options, const DecodeProgress& progress,
                          const std::atomic<bool>* cancel) {
  CheckCancel(cancel);
  PosixFile file = PosixFile::OpenForReading(path);
  std::unique_ptr<SourceReader> reader =
      kind == SourceKind::Mp3 ? OpenMp3Reader(file) : OpenSndfileReader(file, kind);
  const SourceFormat format = reader->Format();
  if (format.Channels < 1 || format.Channels > 2) {
    throw DecodeError(std::to_string(format.Channels) +
                      " channels (only mono and stereo can be used)");
  }
  if (format.Rate < kMinRate || format.Rate > kMaxRate) {
    throw DecodeError("an unusable sample rate of " + std::to_string(format.Rate) + " Hz");
  }

  DecodeSummary summary;
  summary.Kind = kind;
  summary.SourceRate = format.Rate;
  summary.SourceChannels = format.Channels;
  summary.SourceBits = format.Bits;

  const bool exact = format.ExactAsShorts && format.Rate == kCdRate;
  if (kind == SourceKind::Wave && exact && format.Channels == 2 && format.Bits == 16) {
    throw DecodeError("already CD audio (a wave file in CD format is used as it is)");
  }
  reader->UseFloats(!exact);
  PcmConverter converter(format.Channels, format.Rate, sink);
  ProgressReport report(progress);
  if (exact) {
    Pump<int16_t>(*reader, converter, format.Channels, summary, report, cancel);
  } else {
    Pump<float>(*reader, converter, format.Channels, summary, report, cancel);
  }
  CheckCancel(cancel);
  converter.Finish();
  summary.Resampled = converter.Resamples();
  summary.Dithered = !exact;
  summary.FramesWritten = converter.FramesOut();

  if (options.PadToCdFrames && summary.FramesWritten % kCdFrameSamples != 0) {
    summary.PaddingFrames = kCdFrameSamples - summary.FramesWritten % kCdFrameSamples;
    const std::vector<int16_t> zeros(static_cast<size_t>(summary.PaddingFrames) * 2, 0);
    sink.Write(zeros.data(), static_cast<size_t>(summary.PaddingFrames));
    summary.FramesWritten += summary.PaddingFrames;
  }
  report.Done();
  return summary;
}

DecodeSummary DecodeAudio(const std::string& path, AudioSink& sink, const DecodeOptions& options,
                          const DecodeProgress& progress, const std::atomic<bool>* cancel) {
  const std::optional<SourceKind> kind = DecodableKindFromPath(path);
  if (!kind) throw DecodeError("not a kind of file that can be decoded");
  return DecodeAudio(path, *kind, sink, options, progress, cancel);
}

DecodeSummary DecodeToWaveFile(const std::string& path, PosixFile& out,
                               const DecodeOptions& options, const DecodeProgress& progress,
                               const std::atomic<bool>* cancel) {
  WaveFileSink sink(out);
  const DecodeSummary summary = DecodeAudio(path, sink, options, progress, cancel);
  sink.Finish();
  return summary;
}

}  // namespace varnel
