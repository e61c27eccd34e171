// FLAC, AIFF, Ogg Vorbis, Opus and wave files through libsndfile, reading through virtual I/O over
// the PosixFile. The container libsndfile finds must be the one the kind names, so that a file is
// never shown as a kind it is not.
#include <sndfile.h>

#include <string>

#include "formats/audio/OggPages.h"
#include "formats/audio/SourceReader.h"

namespace varnel {

namespace {

sf_count_t LengthCallback(void* user) {
  return static_cast<CallbackInput*>(user)->Length;
}

sf_count_t SeekCallback(sf_count_t offset, int whence, void* user) {
  return static_cast<CallbackInput*>(user)->Seek(offset, whence);
}

sf_count_t ReadCallback(void* ptr, sf_count_t count, void* user) {
  if (count <= 0) return 0;
  return static_cast<sf_count_t>(
      static_cast<CallbackInput*>(user)->Read(ptr, static_cast<size_t>(count)));
}

sf_count_t WriteCallback(const void*, sf_count_t, void*) {
  return 0;
}

sf_count_t TellCallback(void* user) {
  return static_cast<CallbackInput*>(user)->Offset;
}

// libsndfile's message without its "Error : " and final full stop, to go in parentheses.
std::string LibraryText(const char* text) {
  std::string s = text != nullptr ? text : "";
  if (s.rfind("Error : ", 0) == 0) s.erase(0, 8);
  while (!s.empty() && (s.back() == '.' || s.back() == ' ' || s.back() == '\n')) s.pop_back();
  return s;
}

// The kind's name with its article, as in "not a FLAC file".
const char* ContainerName(SourceKind kind) {
  switch (kind) {
    case SourceKind::Flac:
      return "a FLAC";
    case SourceKind::Aiff:
      return "an AIFF";
    case SourceKind::Ogg:
      return "an Ogg Vorbis";
    case SourceKind::Opus:
      return "an Opus";
    case SourceKind::Wave:
      return "a wave";
    case SourceKind::Mp3:
      break;
  }
  return "an MP3";
}

bool ContainerMatches(SourceKind kind, int format) {
  const int major = format & SF_FORMAT_TYPEMASK;
  const int minor = format & SF_FORMAT_SUBMASK;
  switch (kind) {
    case SourceKind::Flac:
      return major == SF_FORMAT_FLAC;
    case SourceKind::Aiff:
      return major == SF_FORMAT_AIFF;
    case SourceKind::Ogg:
      // An .ogg file may carry Opus as well; it is an Ogg file all the same.
      return major == SF_FORMAT_OGG && (minor == SF_FORMAT_VORBIS || minor == SF_FORMAT_OPUS);
    case SourceKind::Opus:
      return major == SF_FORMAT_OGG && minor == SF_FORMAT_OPUS;
    case SourceKind::Wave:
      return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64;
    case SourceKind::Mp3:
      break;
  }
  return false;
}

// The sample depth of an encoding, and whether 16-bit integers hold it exactly.
void DescribeEncoding(int format, SourceFormat& f) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_DPCM_8:
      f.Bits = 8;
      f.ExactAsShorts = true;
      return;
    case SF_FORMAT_DWVW_12:
      f.Bits = 12;
      f.ExactAsShorts = true;
      return;
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_DWVW_16:
    case SF_FORMAT_DPCM_16:
    case SF_FORMAT_ALAC_16:
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_GSM610:
      f.Bits = 16;
      f.ExactAsShorts = true;
      return;
    case SF_FORMAT_ALAC_20:
      f.Bits = 20;
      return;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_DWVW_24:
    case SF_FORMAT_ALAC_24:
      f.Bits = 24;
      return;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32:
    case SF_FORMAT_FLOAT:
      f.Bits = 32;
      return;
    case SF_FORMAT_DOUBLE:
      f.Bits = 64;
      return;
    default:
      f.Bits = 0;  // lossy: Vorbis, Opus and the like
      return;
  }
}

struct SndfileCloser {
  void operator()(SNDFILE* sf) const { sf_close(sf); }
};

class SndfileReader : public SourceReader {
 public:
  SndfileReader(const PosixFile& file, SourceKind kind) : Input_(file), Kind_(kind) {
    if (kind == SourceKind::Ogg || kind == SourceKind::Opus) {
      CheckOggPages(file, SourceKindText(kind));
    }
    SF_VIRTUAL_IO io{LengthCallback, SeekCallback, ReadCallback, WriteCallback, TellCallback};
    Owner_.reset(sf_open_virtual(&io, SFM_READ, &Info_, &Input_));
    Sf_ = Owner_.get();
    Input_.Rethrow();
    if (Sf_ == nullptr) {
      throw DecodeError(std::string("not ") + ContainerName(kind) + " file (" +
                        LibraryText(sf_strerror(nullptr)) + ")");
    }
    if (!ContainerMatches(kind, Info_.format)) {
      throw DecodeError(std::string("not ") + ContainerName(kind) + " file");
    }
    Format_.Rate = Info_.samplerate;
    Format_.Channels = Info_.channels;
    DescribeEncoding(Info_.format, Format_);
  }

  SourceFormat Format() const override { return Format_; }
  void UseFloats(bool) override {}

  size_t ReadShorts(int16_t* out, size_t frames) override {
    return Checked(sf_readf_short(Sf_, out, static_cast<sf_count_t>(frames)));
  }
  size_t ReadFloats(float* out, size_t frames) override {
    return Checked(sf_readf_float(Sf_, out, static_cast<sf_count_t>(frames)));
  }

  double Progress() const override {
    return Input_.Length > 0 ? static_cast<double>(Input_.Offset) / Input_.Length : 1.0;
  }

 private:
  // A read that met damaged data: libsndfile keeps the error, and may still return what it
  // decoded before it. A FLAC stream records its length; one that ends early lost frames at
  // its end (a file cut at a frame boundary decodes without any other complaint).
  size_t Checked(sf_count_t got) {
    Input_.Rethrow();
    if (sf_error(Sf_) != SF_ERR_NO_ERROR) {
      throw DecodeError(std::string("damaged ") + SourceKindText(Kind_) + " data (" +
                        LibraryText(sf_strerror(Sf_)) + ")");
    }
    if (got > 0) {
      FramesRead_ += got;
      return static_cast<size_t>(got);
    }
    // A compressed stream records its length; one that ends early lost frames at its end
    // (a FLAC file cut at a frame boundary decodes without any other complaint), and one
    // that gives nothing at all is no stream of audio.
    const bool compressed =
        Kind_ == SourceKind::Flac || Kind_ == SourceKind::Ogg || Kind_ == SourceKind::Opus;
    if (compressed && Info_.frames > 0 && Info_.frames < SF_COUNT_MAX &&
        FramesRead_ < Info_.frames) {
      throw DecodeError(std::string("damaged ") + SourceKindText(Kind_) + " data (it ends after " +
                        std::to_string(FramesRead_) + " of its " + std::to_string(Info_.frames) +
                        " sample frames)");
    }
    if (compressed && FramesRead_ == 0) {
      throw DecodeError(std::string("damaged ") + SourceKindText(Kind_) +
                        " data (not one sample frame could be decoded)");
    }
    return 0;
  }

  CallbackInput Input_;
  SourceKind Kind_;
  SF_INFO Info_{};
  std::unique_ptr<SNDFILE, SndfileCloser> Owner_;
  SNDFILE* Sf_ = nullptr;
  SourceFormat Format_;
  sf_count_t FramesRead_ = 0;
};

}  // namespace

std::unique_ptr<SourceReader> OpenSndfileReader(const PosixFile& file, SourceKind kind) {
  return std::make_unique<SndfileReader>(file, kind);
}

}  // namespace varnel
