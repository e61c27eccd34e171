// MPEG audio through libmpg123, with its gapless decoding on: the encoder delay and padding
// that the LAME/Xing tag records are cut, as `mpg123 -w` cuts them by default.
#include <mpg123.h>

#include <mutex>
#include <string>

#include "formats/audio/SourceReader.h"

namespace varnel {

namespace {

// libmpg123 calls these with the CallbackInput given to mpg123_open_handle.
mpg123_ssize_t ReadCallback(void* handle, void* buffer, size_t size) {
  return static_cast<mpg123_ssize_t>(static_cast<CallbackInput*>(handle)->Read(buffer, size));
}

off_t SeekCallback(void* handle, off_t offset, int whence) {
  return static_cast<off_t>(static_cast<CallbackInput*>(handle)->Seek(offset, whence));
}

struct HandleDeleter {
  void operator()(mpg123_handle* h) const {
    mpg123_close(h);
    mpg123_delete(h);
  }
};

class Mp3Reader : public SourceReader {
 public:
  explicit Mp3Reader(const PosixFile& file) : Input_(file) {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    int err = MPG123_OK;
    Owner_.reset(mpg123_new(nullptr, &err));
    Handle_ = Owner_.get();
    if (Handle_ == nullptr) {
      throw DecodeError(std::string("libmpg123: ") + mpg123_plain_strerror(err));
    }
    // Quiet: the library must not write to our standard error. Gapless: as mpg123 does.
    mpg123_param(Handle_, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    mpg123_replace_reader_handle(Handle_, ReadCallback, SeekCallback, nullptr);
    // The first opening only learns the native rate and channels; the stream is opened
    // again for the sample type chosen.
    Open();
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(Handle_, &rate, &channels, &encoding) != MPG123_OK) {
      Input_.Rethrow();
      throw DecodeError("not an MP3 file (no MPEG audio frame found)");
    }
    Format_.Rate = static_cast<int32_t>(rate);
    Format_.Channels = channels;
    Format_.Bits = 0;
    Format_.ExactAsShorts = true;
  }

  SourceFormat Format() const override { return Format_; }

  void UseFloats(bool floats) override {
    mpg123_close(Handle_);
    Encoding_ = floats ? MPG123_ENC_FLOAT_32 : MPG123_ENC_SIGNED_16;
    SampleBytes_ = floats ? sizeof(float) : sizeof(int16_t);
    mpg123_format_none(Handle_);
    const int channels = Format_.Channels == 1 ? MPG123_MONO : MPG123_STEREO;
    if (mpg123_format(Handle_, Format_.Rate, channels, Encoding_) != MPG123_OK) {
      throw DecodeError(std::string("libmpg123: ") + mpg123_strerror(Handle_));
    }
    Input_.Offset = 0;
    Open();
    CheckFormat();
  }

  size_t ReadShorts(int16_t* out, size_t frames) override { return Read(out, frames); }
  size_t ReadFloats(float* out, size_t frames) override { return Read(out, frames); }

  double Progress() const override {
    return Input_.Length > 0 ? static_cast<double>(Input_.Offset) / Input_.Length : 1.0;
  }

 private:
  void Open() {
    if (mpg123_open_handle(Handle_, &Input_) != MPG123_OK) {
      Input_.Rethrow();
      throw DecodeError(std::string("not an MP3 file (") + mpg123_strerror(Handle_) + ")");
    }
  }

  // The stream must keep the one format asked for; libmpg123 converts frames of another
  // rate or channel count to it, so anything else is a fault of the file.
  void CheckFormat() {
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(Handle_, &rate, &channels, &encoding) != MPG123_OK) {
      Input_.Rethrow();
      throw DecodeError(std::string("damaged MP3 data (") + mpg123_strerror(Handle_) + ")");
    }
    if (rate != Format_.Rate || channels != Format_.Channels || encoding != Encoding_) {
      throw DecodeError("the MP3 stream changes its sample format");
    }
  }

  size_t Read(void* out, size_t frames) {
    const size_t frameBytes = SampleBytes_ * static_cast<size_t>(Format_.Channels);
    auto* bytes = static_cast<unsigned char*>(out);
    size_t got = 0;
    while (got < frames * frameBytes && !Done_) {
      size_t done = 0;
      const int rc = mpg123_read(Handle_, bytes + got, frames * frameBytes - got, &done);
      Input_.Rethrow();
      got += done;
      if (rc == MPG123_DONE) {
        Done_ = true;
      } else if (rc == MPG123_NEW_FORMAT) {
        CheckFormat();
      } else if (rc != MPG123_OK) {
        throw DecodeError(std::string("damaged MP3 data (") + mpg123_strerror(Handle_) + ")");
      } else if (done == 0) {
        // OK with nothing decoded repeatedly would loop forever; libmpg123 does not do
        // this for a file, but a reader must end.
        if (++IdleReads_ > 1000) throw DecodeError("damaged MP3 data (no progress)");
      }
    }
    if (got % frameBytes != 0) throw DecodeError("damaged MP3 data (a partial sample frame)");
    return got / frameBytes;
  }

  CallbackInput Input_;
  std::unique_ptr<mpg123_handle, HandleDeleter> Owner_;
  mpg123_handle* Handle_ = nullptr;
  SourceFormat Format_;
  int Encoding_ = MPG123_ENC_SIGNED_16;
  size_t SampleBytes_ = sizeof(int16_t);
  bool Done_ = false;
  int IdleReads_ = 0;
};

}  // namespace

std::unique_ptr<SourceReader> OpenMp3Reader(const PosixFile& file) {
  return std::make_unique<Mp3Reader>(file);
}

}  // namespace varnel
