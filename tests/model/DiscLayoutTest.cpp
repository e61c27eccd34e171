// The disc layout record: its defaults, the data track test, and the owned track list.
#include "model/DiscLayout.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

#include "support/TestFiles.h"

namespace varnel {
namespace {

using test::TempDir;

TEST(DiscLayoutTest, StartsEmpty) {
  DiscLayout layout;
  EXPECT_EQ(layout.MediaCatalog, "             ");
  EXPECT_EQ(layout.MediaCatalog.size(), 13u);
  EXPECT_FALSE(layout.CdTextEnabled);
  EXPECT_EQ(layout.CdtPath, "");
  EXPECT_EQ(layout.DataTrackFile, "");
  EXPECT_EQ(layout.ImageType, 0);
  EXPECT_EQ(layout.TotalBytes, 0);
  EXPECT_EQ(layout.Count(), 0);
  EXPECT_FALSE(layout.DataTrackImageExists());
}

TEST(DiscLayoutTest, ImageTypeTexts) {
  EXPECT_STREQ(kImageTypeTexts[0], "MODE1/2048  - CDROM Mode1 Data (cooked)");
  EXPECT_STREQ(kImageTypeTexts[1], "MODE1/2352  - CDROM Mode1 Data (raw)");
  EXPECT_STREQ(kImageTypeTexts[2], "MODE2/2336  - CDROM-XA Mode2 Data");
  EXPECT_STREQ(kImageTypeTexts[3], "MODE2/2352  - CDROM-XA Mode2 Data");
}

TEST(DiscLayoutTest, DataTrackNeedsAFileAtThePath) {
  TempDir dir;
  DiscLayout layout;
  layout.DataTrackFile = dir / "data.bin";
  EXPECT_FALSE(layout.DataTrackImageExists());
  test::WriteBytes(layout.DataTrackFile, std::vector<uint8_t>(2048, 0));
  EXPECT_TRUE(layout.DataTrackImageExists());
  // An empty image file is still a file.
  test::WriteBytes(layout.DataTrackFile, {});
  EXPECT_TRUE(layout.DataTrackImageExists());
  layout.DataTrackFile = dir.Path();  // a folder is not an image
  EXPECT_FALSE(layout.DataTrackImageExists());
  layout.DataTrackFile = dir / "data.bin/inside";
  EXPECT_FALSE(layout.DataTrackImageExists());
}

// A track that tells when it is destroyed.
class CountedTrack : public Track {
 public:
  CountedTrack(const std::string& name, int* destroyed)
      : Track(name, FileModeWave, WaveDataInfo{44, 4000, 2, 16, 44100}), Destroyed(destroyed) {}
  ~CountedTrack() override { ++*Destroyed; }
  int* Destroyed;
};

class DiscLayoutListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
      auto track = std::make_unique<CountedTrack>(name, &Destroyed);
      Tracks.push_back(track.get());
      Layout.Append(std::move(track));
    }
  }
  std::string Names() const {
    std::string names;
    for (int32_t i = 0; i < Layout.Count(); ++i) names += Layout.At(i).TrackFileName + " ";
    return names;
  }
  int Destroyed = 0;
  std::vector<const Track*> Tracks;  // the objects the layout owns, in appended order
  DiscLayout Layout;
};

TEST_F(DiscLayoutListTest, ExchangeMovesTheSameObjects) {
  Layout.Exchange(0, 2);
  EXPECT_EQ(Names(), "c.wav b.wav a.wav ");
  EXPECT_EQ(&Layout.At(0), Tracks[2]);
  EXPECT_EQ(&Layout.At(2), Tracks[0]);
  Layout.Exchange(1, 1);
  EXPECT_EQ(Names(), "c.wav b.wav a.wav ");
  Layout.Exchange(2, 1);
  EXPECT_EQ(Names(), "c.wav a.wav b.wav ");
  EXPECT_EQ(Destroyed, 0);
}

TEST_F(DiscLayoutListTest, BadIndexesThrowAndChangeNothing) {
  EXPECT_THROW(Layout.Exchange(0, 3), std::out_of_range);
  EXPECT_THROW(Layout.Exchange(-1, 0), std::out_of_range);
  EXPECT_THROW(Layout.Exchange(2, std::numeric_limits<int32_t>::min()), std::out_of_range);
  EXPECT_THROW(Layout.Delete(3), std::out_of_range);
  EXPECT_THROW(Layout.Delete(-1), std::out_of_range);
  EXPECT_THROW(Layout.At(3), std::out_of_range);
  EXPECT_EQ(Names(), "a.wav b.wav c.wav ");
  EXPECT_EQ(Destroyed, 0);
}

TEST_F(DiscLayoutListTest, DeleteDestroysOnlyThatTrack) {
  Layout.Delete(1);
  EXPECT_EQ(Destroyed, 1);
  EXPECT_EQ(Names(), "a.wav c.wav ");
  EXPECT_EQ(&Layout.At(1), Tracks[2]);
  Layout.Delete(1);
  Layout.Delete(0);
  EXPECT_EQ(Destroyed, 3);
  EXPECT_EQ(Layout.Count(), 0);
  EXPECT_THROW(Layout.Delete(0), std::out_of_range);
}

TEST_F(DiscLayoutListTest, ClearAndTheLayoutItselfDestroyEveryTrack) {
  Layout.Clear();
  EXPECT_EQ(Destroyed, 3);
  EXPECT_EQ(Layout.Count(), 0);

  int destroyed = 0;
  {
    DiscLayout layout;
    layout.Append(std::make_unique<CountedTrack>("x.wav", &destroyed));
    layout.Append(std::make_unique<CountedTrack>("y.wav", &destroyed));
  }
  EXPECT_EQ(destroyed, 2);
}

}  // namespace
}  // namespace varnel
