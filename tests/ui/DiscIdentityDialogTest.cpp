// File ▸ Disc identity…: the IDs at once in fields that can be copied, the checksums read in
// the background while the window keeps turning, a disc that cannot be planned told in a
// box, and names an assistive tool can read.
#include "ui/dialogs/DiscIdentityDialog.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "support/UiTestSupport.h"

namespace varnel {
namespace {

using test::WindowTest;

TEST_F(WindowTest, DiscIdentityShowsTheIdsAndComputesTheChecksumsInTheBackground) {
  // 5 s each: track 2 after its 2-second pre-gap.
  Window->DropPaths("Tracks", {Wave("a.wav", 44100 * 5), Wave("b.wav", 44100 * 5)});
  int shown = 0;
  Window->ShowDiscIdentityDialog = [&](QDialog& dlg) {
    ++shown;
    EXPECT_EQ(dlg.windowTitle(), "Disc identity");
    auto* toc = dlg.findChild<QLineEdit*>("MusicBrainzTocEdit");
    ASSERT_NE(toc, nullptr);
    EXPECT_EQ(toc->text(), "1 2 1050 150 675");
    EXPECT_TRUE(toc->isReadOnly());
    test::ExpectReadableNames(&dlg);

    auto* sums = dlg.findChild<QPlainTextEdit*>("ChecksumsEdit");
    auto* compute = dlg.findChild<QPushButton*>("ChecksumsBtn");
    auto* cancel = dlg.findChild<QPushButton*>("CancelBtn");
    ASSERT_TRUE(sums && compute && cancel);
    EXPECT_FALSE(cancel->isEnabled());
    compute->click();
    EXPECT_FALSE(compute->isEnabled());
    EXPECT_TRUE(cancel->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(compute->isEnabled(), 20000);
    const QStringList lines = sums->toPlainText().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << sums->toPlainText().toStdString();
    EXPECT_TRUE(lines[0].startsWith("TRACK\t01\t"));
    EXPECT_TRUE(lines[1].startsWith("TRACK\t02\t"));
    EXPECT_FALSE(cancel->isEnabled());

    // Closed while a run goes on: the run is cancelled and waited for.
    compute->click();
    static_cast<DiscIdentityDialog&>(dlg).reject();
  };
  Window->Action("FileIdentity")->trigger();
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(Prompter.Log.empty());

  // A track whose file is gone: the run's own message, and no dialog.
  std::filesystem::remove(Dir / "b.wav");
  Window->Action("FileIdentity")->trigger();
  EXPECT_EQ(shown, 1);
  ASSERT_EQ(Prompter.Log.size(), 1u);
}

}  // namespace
}  // namespace varnel
