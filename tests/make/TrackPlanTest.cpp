// A track's plan tells what the file it names holds: rebuilt from the plan's stretches, the
// bytes are the file's sample data, for a file a Make run made as for a source named as it
// lies; a Test run plans the same.
#include <gtest/gtest.h>

#include <functional>

#include "formats/audio/WaveHeader.h"
#include "support/WriterHarness.h"

namespace varnel {
namespace {

using test::Cat;
using test::Sound;
using test::WaveTrack;
using test::Zeros;

using test::WriterFn;

class TrackPlanTest : public test::WriterTest {
 public:
  std::string At(const std::string& name) const { return Dir / name; }
  // The bytes the plan's stretches stand for.
  static std::vector<uint8_t> Rebuilt(const TrackPlan& plan) {
    std::vector<uint8_t> bytes;
    for (const FileStretch& s : plan.Content) {
      if (s.Source.empty()) {
        bytes.insert(bytes.end(), static_cast<size_t>(s.Bytes), 0);
        continue;
      }
      const std::vector<uint8_t> source = test::ReadBytes(s.Source);
      EXPECT_LE(static_cast<size_t>(s.Start + s.Bytes), source.size()) << s.Source;
      bytes.insert(bytes.end(), source.begin() + s.Start, source.begin() + s.Start + s.Bytes);
    }
    return bytes;
  }
  // The sample data of a wave file, after its header.
  static std::vector<uint8_t> WaveData(const std::string& path) {
    WaveDataInfo info;
    EXPECT_EQ(ReadWaveHeader(path, info), 1) << path;
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    return {bytes.begin() + info.DataOffset, bytes.begin() + info.DataOffset + info.DataSize};
  }
  std::unique_ptr<Track> Hidden(const std::string& name) {
    test::WriteBytes(Dir / "hidden.wav", test::WaveBytes(Cat({Zeros(400), Sound(5000, 3)})));
    auto t = WaveTrack(Dir / name, Cat({Sound(3000, 1), Zeros(800)}));
    t->SetPreGapStyle(PreGapFile);
    t->SetPreGapFile(Dir / "hidden.wav", test::CanonicalInfo(400 + 20000));
    return t;
  }
};

TEST_F(TrackPlanTest, StretchesRebuildTheNamedFile) {
  struct Row {
    const char* Name;
    WriterFn Writer;
    std::function<std::unique_ptr<varnel::Track>(TrackPlanTest&)> Track;
    bool Produced[2];  // as track 1 (extra silence at its head), as track 2
  } const rows[] = {
      {"whole file as it lies",
       WriteSilentPreGapTrack,
       [](TrackPlanTest& t) { return WaveTrack(t.At("a.wav"), Sound(1000)); },
       {false, false}},
      {"cut and padded at the head",
       WriteSilentPreGapTrack,
       [](TrackPlanTest& t) {
         auto k = WaveTrack(t.At("a.wav"), Cat({Zeros(4000), Sound(1000), Zeros(40)}));
         k->TrackCutLeading = k->TrackCutTrailing = k->TrackPaddingHead = true;
         return k;
       },
       {true, true}},
      {"hidden audio from another file, cut and padded",
       WriteHiddenFileTrack,
       [](TrackPlanTest& t) {
         auto k = t.Hidden("a.wav");
         k->PreGapCutLeading = k->TrackCutTrailing = true;
         return k;
       },
       {true, true}},
      {"hidden audio in front, as it lies",
       WritePreGapIndexTrack,
       [](TrackPlanTest& t) {
         auto k = WaveTrack(t.At("a.wav"), Sound(588 * 3 + 100));
         k->SetPreGapStyle(PreGapIndex);
         k->SetTrackStartPos(588 * 2);
         return k;
       },
       {true, false}},
      {"hidden audio in front, padded",
       WritePreGapIndexTrack,
       [](TrackPlanTest& t) {
         auto k = WaveTrack(t.At("a.wav"), Sound(5000));
         k->SetPreGapStyle(PreGapIndex);
         k->SetTrackStartPos(1000);
         return k;
       },
       {true, true}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    for (int32_t number : {1, 2}) {  // track 1 gets the extra silence
      const std::unique_ptr<Track> track = row.Track(*this);
      const auto planned = Call(row.Writer, *track, number, true);
      const auto made = Call(row.Writer, *track, number);
      ASSERT_TRUE(made.Ok) << made.Message;
      EXPECT_EQ(planned.Plan.Content, made.Plan.Content);
      EXPECT_EQ(made.Plan.Produced, row.Produced[number - 1]) << number;
      EXPECT_EQ(Rebuilt(made.Plan), WaveData(made.Plan.File));
      EXPECT_EQ(made.Plan.TocFile, made.Plan.File);
      std::filesystem::remove_all(Dir / "work");
    }
  }
}

}  // namespace
}  // namespace varnel
