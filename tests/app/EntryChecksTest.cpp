// Values checked where they are typed: the media catalog number and a track's ISRC.
#include "app/editors/EntryChecks.h"

#include <gtest/gtest.h>

#include "app/commands/TrackListCommands.h"
#include "app/editors/TrackPropertiesEditor.h"
#include "support/LayoutTestEnv.h"

namespace varnel {
namespace {

using test::LayoutTestEnv;

TEST(EntryChecks, CatalogIsThirteenDigitsOrNothing) {
  const struct {
    const char* Text;
    bool Taken;
  } cases[] = {
      {"4006381333931", true},
      {"", true},
      {"             ", true},
      {"123          ", false},
      {"123", false},
      {"400638133393", false},
      {"40063813339312", false},
      {"400638133393a", false},
      {" 006381333931", false},
      {"4006381 33931", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsCatalogEntry(c.Text), c.Taken) << '"' << c.Text << '"';
  }
}

TEST(EntryChecks, IsrcIsFiveLettersOrDigitsThenSevenDigitsOrNothing) {
  const struct {
    const char* Text;
    bool Taken;
  } cases[] = {
      {"GBAYE0601498", true},  {"usrc17607839", true},   {"", true},
      {"            ", true},  {"US12        ", false},  {"US12", false},
      {"GBAYE060149", false},  {"GBAYE06014981", false}, {"GB-YE0601498", false},
      {"GBAYE06014A8", false}, {"GBAYE 601498", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsIsrcEntry(c.Text), c.Taken) << '"' << c.Text << '"';
  }
  EXPECT_EQ(IsrcStoredText("usrc17607839"), "USRC17607839");
  EXPECT_EQ(IsrcStoredText("            "), "");
}

TEST(EntryChecks, AHalfTypedCatalogIsRefusedAndTheLayoutKeepsItsNumber) {
  LayoutTestEnv env;
  ASSERT_TRUE(EnterMediaCatalog(env.Ctx, "4006381333931"));
  EXPECT_EQ(env.Ctx.Layout.MediaCatalog, "4006381333931");
  EXPECT_FALSE(EnterMediaCatalog(env.Ctx, "123          "));
  EXPECT_EQ(env.Prompter.Log,
            (std::vector<std::string>{"Warning: " + std::string(kCatalogEntryMessage)}));
  EXPECT_EQ(env.Ctx.Layout.MediaCatalog, "4006381333931");
  ASSERT_TRUE(EnterMediaCatalog(env.Ctx, "             "));
  EXPECT_EQ(env.Ctx.Layout.MediaCatalog, std::string(13, ' '));
}

class IsrcStore : public ::testing::Test {
 protected:
  varnel::Track& TrackWithIsrc(const std::string& isrc) {
    EXPECT_TRUE(AddTrackFile(env.Ctx, env.Wave("a.wav", 2352)));
    varnel::Track& t = env.Ctx.Layout.At(0);
    t.ISRC = isrc;
    dlg.Track = &t;
    dlg.Load();
    return t;
  }
  LayoutTestEnv env;
  TrackPropertiesEditor dlg{env.Ctx, nullptr};
};

TEST_F(IsrcStore, AHalfTypedIsrcIsRefusedAndNothingIsStored) {
  varnel::Track& t = TrackWithIsrc("GBAYE0601498");
  dlg.TypeIsrc("US12________");
  dlg.PreEmph = true;
  EXPECT_FALSE(dlg.Accept());
  EXPECT_EQ(env.Prompter.Log,
            (std::vector<std::string>{"Warning: " + std::string(kIsrcEntryMessage)}));
  EXPECT_EQ(t.ISRC, "GBAYE0601498");
  EXPECT_FALSE(t.PreEmph);
  // Completed, it is taken, in capitals.
  dlg.TypeIsrc("usrc17607839");
  ASSERT_TRUE(dlg.Accept());
  EXPECT_EQ(t.ISRC, "USRC17607839");
  EXPECT_TRUE(t.PreEmph);
  // Emptied: no ISRC.
  dlg.TypeIsrc("____________");
  ASSERT_TRUE(dlg.Accept());
  EXPECT_EQ(t.ISRC, "");
}

// A layout that already holds an odd value keeps it: only what is typed is checked.
TEST_F(IsrcStore, AnOddIsrcFromTheLayoutIsLeftAsLoaded) {
  varnel::Track& t = TrackWithIsrc("US12");
  dlg.Protect = true;
  ASSERT_TRUE(dlg.Accept());
  EXPECT_EQ(t.ISRC, "US12");
  EXPECT_TRUE(t.Protect);
  EXPECT_TRUE(env.Prompter.Log.empty());
}

}  // namespace
}  // namespace varnel
