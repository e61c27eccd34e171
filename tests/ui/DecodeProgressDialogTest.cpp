// Decoding behind the progress dialog: a FLAC file dropped on the list becomes a FLAC row;
// a decode that lasts shows the file's name and percentage, and Cancel reaches the decode;
// a quick one shows nothing.
#include "ui/dialogs/DecodeProgressDialog.h"

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <chrono>
#include <thread>

#include "support/AudioTools.h"
#include "support/UiTestSupport.h"

namespace varnel {
namespace {

using namespace std::chrono_literals;

class DecodeProgressTest : public test::WindowTest {};

TEST_F(DecodeProgressTest, DroppedFlacFileBecomesAFlacTrack) {
  if (const std::string t = test::MissingTool({"sox", "flac"}); !t.empty()) GTEST_SKIP() << t;
  ASSERT_TRUE(test::RunAll(
      {{"sox", "-r", "44100", "-c", "2", "-n", "-b", "16", "@t.wav", "synth", "2", "sine", "440"},
       {"flac", "--silent", "-o", "@a.flac", "@t.wav"}},
      Dir.Path()));
  Ctx().DecodedCacheFolder = Dir / "cache";
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(Dir / "a.flac")),
                QUrl::fromLocalFile(QString::fromStdString(Wave("b.wav")))});
  const QPointF at = List()->viewport()->mapTo(Window.get(), List()->viewport()->rect().center());
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Window.get(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Window.get(), &drop);
  test::Settle();
  ASSERT_EQ(List()->Model()->rowCount(), 2);
  EXPECT_EQ(List()->RowTexts(0)[1], "a.flac");
  EXPECT_EQ(List()->RowTexts(0)[2], "FLAC");
  EXPECT_EQ(List()->RowTexts(0)[4], "00:02:00 (00:02:00)");
  EXPECT_EQ(List()->RowTexts(1)[2], "WAVE");
  EXPECT_TRUE(Prompter.Log.empty());
}

DecodeProgressDialog* ShownDialog() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* d = qobject_cast<DecodeProgressDialog*>(w); d && d->isVisible()) return d;
  }
  return nullptr;
}

struct RunRow {
  const char* Name;
  std::chrono::milliseconds Length;  // how long the decode works when nobody cancels
  bool PressCancel;
  bool DialogExpected;
};

TEST_F(DecodeProgressTest, LongDecodesShowNameAndPercentAndCanBeCanceled) {
  const RunRow rows[] = {
      {"Quick", 50ms, false, false},
      {"LongToTheEnd", 1500ms, false, true},
      {"LongCanceled", 10000ms, true, true},
  };
  for (const RunRow& row : rows) {
    SCOPED_TRACE(row.Name);
    bool sawCancel = false;
    bool finished = false;
    QString shownName, shownPercent;
    bool shown = false;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      DecodeProgressDialog* d = ShownDialog();
      if (d == nullptr || shown) return;
      shown = true;
      shownName = d->findChild<QLabel*>("FileLbl")->text();
      shownPercent = d->findChild<QLabel*>("PercentLbl")->text();
      if (row.PressCancel) d->findChild<QPushButton*>("CancelBtn")->click();
    });
    watch.start();
    const auto start = std::chrono::steady_clock::now();
    RunDecodeWithProgress(Window.get(), "/music/Side A.flac",
                          [&](const DecodeProgress& progress, const std::atomic<bool>* cancel) {
                            progress(0.5);
                            while (std::chrono::steady_clock::now() - start < row.Length) {
                              if (cancel->load()) {
                                sawCancel = true;
                                return;
                              }
                              std::this_thread::sleep_for(5ms);
                            }
                            finished = true;
                          });
    watch.stop();
    EXPECT_EQ(shown, row.DialogExpected);
    EXPECT_EQ(sawCancel, row.PressCancel);
    EXPECT_EQ(finished, !row.PressCancel);
    EXPECT_EQ(ShownDialog(), nullptr);
    if (row.DialogExpected) {
      EXPECT_EQ(shownName, "Side A.flac");
      EXPECT_EQ(shownPercent, "50%");
    }
  }
}

}  // namespace
}  // namespace varnel
