// The progress dialog alone and in real Make and Test runs started from the window.
#include "ui/dialogs/MakeProgressDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <future>
#include <thread>

#include "app/commands/MakeController.h"
#include "support/ProgressLog.h"
#include "support/UiTestSupport.h"

namespace varnel {
namespace {

struct Step {
  std::string Operation;
  int Position;
  int Maximum;
  friend bool operator==(const Step&, const Step&) = default;
  friend std::ostream& operator<<(std::ostream& o, const Step& s) {
    return o << "{" << s.Operation << ", " << s.Position << "/" << s.Maximum << "}";
  }
};

Step Now(MakeProgressDialog* dlg) {
  return {dlg->findChild<QLabel*>("OperationLbl")->text().toStdString(),
          dlg->findChild<QProgressBar*>("ProgressBar")->value(),
          dlg->findChild<QProgressBar*>("ProgressBar")->maximum()};
}

TEST(MakeProgressDialog, ControlsAndCaptions) {
  MakeProgressDialog dlg;
  EXPECT_EQ(dlg.windowTitle(), "Operation in progress");
  EXPECT_GE(dlg.width(), 358);
  EXPECT_GE(dlg.height(), 128);
  EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());  // a fixed dialog border
  EXPECT_EQ(dlg.findChild<QLabel*>("OperationCaptionLbl")->text(), "Operation:");
  EXPECT_EQ(dlg.findChild<QLabel*>("TimeCaptionLbl")->text(), "Elapsed time:");
  EXPECT_EQ(dlg.findChild<QLabel*>("OperationLbl")->text(), "Current Operation");
  EXPECT_EQ(dlg.findChild<QLabel*>("TimeLbl")->text(), "00:00");
  QProgressBar* bar = dlg.findChild<QProgressBar*>("ProgressBar");
  EXPECT_EQ(bar->height(), 16);
  EXPECT_EQ(bar->maximum(), 100);
  QPushButton* cancel = dlg.findChild<QPushButton*>("CancelBtn");
  EXPECT_EQ(cancel->text(), "&Cancel");
  EXPECT_GE(cancel->width(), 60);
  EXPECT_FALSE(cancel->focusPolicy() & Qt::TabFocus);
  EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
}

// Every text a run shows fits the label: the longest track text, and the rest.
TEST(MakeProgressDialog, TheLongestOperationTextFits) {
  MakeProgressDialog dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  QLabel* operation = dlg.findChild<QLabel*>("OperationLbl");
  const std::function<void(MakeProgress&)> steps[] = {
      [](MakeProgress& p) { p.RunStarted(98); },
      [](MakeProgress& p) { p.TrackStarted(99); },
      [](MakeProgress& p) { p.TrackStarted(88); },
      [](MakeProgress& p) { p.WritingSheet(); },
  };
  for (const auto& step : steps) {
    step(dlg);
    test::Settle();
    test::ExpectNothingClipped(&dlg);
    EXPECT_GE(operation->contentsRect().width(),
              operation->fontMetrics().horizontalAdvance(operation->text()))
        << operation->text().toStdString();
  }
  EXPECT_EQ(operation->text(), "Exporting Cue sheet...");
  // The labels read as what they show.
  EXPECT_EQ(test::AccessibleName(operation), "Exporting Cue sheet...");
  test::ExpectReadableNames(&dlg);
  dlg.hide();
}

TEST(MakeProgressDialog, ElapsedClockStartsEmptyAndCountsMinutesUnwrapped) {
  MakeProgressDialog dlg;
  QLabel* time = dlg.findChild<QLabel*>("TimeLbl");
  dlg.show();
  EXPECT_EQ(time->text(), "");
  dlg.Tick();
  EXPECT_EQ(time->text(), "00:01");
  for (int i = 1; i < 60; ++i) dlg.Tick();
  EXPECT_EQ(time->text(), "01:00");
  for (int i = 60; i < 75 * 60; ++i) dlg.Tick();
  EXPECT_EQ(time->text(), "75:00");
  // Showing again starts afresh.
  dlg.hide();
  dlg.show();
  EXPECT_EQ(time->text(), "");
  EXPECT_EQ(dlg.ElapsedSeconds(), 0);
  dlg.hide();
}

TEST(MakeProgressDialog, OnlyTheRunClosesIt) {
  MakeProgressDialog dlg;
  bool closed = false;
  test::OnNextModal([&](QWidget* w) {
    EXPECT_EQ(w, &dlg);
    EXPECT_FALSE(dlg.close());
    QTest::keyClick(&dlg, Qt::Key_Escape);
    dlg.reject();
    EXPECT_TRUE(dlg.isVisible());
    // The run's end, told from another thread, closes it.
    std::thread([&] { dlg.RunEnded(RunState::Succeeded); }).join();
  });
  dlg.ShowModal();
  closed = !dlg.isVisible();
  EXPECT_TRUE(closed);
}

TEST(MakeProgressDialog, ARunThatEndsBeforeTheDialogComesUpDoesNotLeaveItOpen) {
  MakeProgressDialog dlg;
  std::thread([&] { dlg.RunEnded(RunState::Failed); }).join();
  test::Settle();
  EXPECT_EQ(dlg.ShowModal(), QDialog::Accepted);
  EXPECT_FALSE(dlg.isVisible());
}

class WindowMakeTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Dlg = new MakeProgressDialog(Window.get());
    Window->SetMakeProgressDialog(Dlg);
    Ctx().Settings.WorkDir = Dir / "work";
    // Short tracks keep these runs quick; the check before making has tests of its own.
    Ctx().Settings.CheckBeforeMake = false;
    std::filesystem::create_directory(Dir / "work");
    QObject::connect(Dlg, &MakeProgressDialog::Ended, [this] { EXPECT_FALSE(Dlg->isVisible()); });
    QObject::connect(Dlg, &MakeProgressDialog::Updated, [this] {
      Steps.push_back(Now(Dlg));
      EXPECT_TRUE(Dlg->isVisible());
      // While the dialog is up the window cannot be closed.
      EXPECT_FALSE(Window->close());
    });
  }

  MakeProgressDialog* Dlg = nullptr;
  std::vector<Step> Steps;
};

TEST_F(WindowMakeTest, ThreeTrackMakeShowsEachTrackThenTheCueSheet) {
  Window->DropPaths("Tracks", {Wave("a.wav"), Wave("b.wav"), Wave("c.wav")});
  const std::string cue = Dir / "disc.cue";
  Prompter.SaveAnswers.push_back(cue);
  Window->Action("FileMake")->trigger();
  EXPECT_EQ(Steps, (std::vector<Step>{
                       {"Editing and Copying a wave file for Track01...", 0, 3},
                       {"Editing and Copying a wave file for Track02...", 1, 3},
                       {"Editing and Copying a wave file for Track03...", 2, 3},
                       {"Exporting Cue sheet...", 3, 3},
                   }));
  ASSERT_FALSE(Prompter.Log.empty());
  EXPECT_EQ(Prompter.Log.back(), "Plain: Operation Successfully Completed.");
  EXPECT_TRUE(std::filesystem::exists(cue));
  EXPECT_FALSE(Dlg->isVisible());
  EXPECT_TRUE(Ctx().IsIdle());
  EXPECT_FALSE(Window->Making());
  EXPECT_TRUE(Window->isVisible());
}

TEST_F(WindowMakeTest, DataTrackRunNamesTrack01WhileTheDataBlockIsWritten) {
  test::WriteBytes(Dir / "data.bin", std::vector<uint8_t>(2352 * 20, 7));
  Window->DropPaths("DataTrackGbx", {Dir / "data.bin"});
  Window->DropPaths("Tracks", {Wave("a.wav"), Wave("b.wav")});
  Prompter.SaveAnswers.push_back(Dir / "mixed.cue");
  Window->Action("FileTest")->trigger();
  EXPECT_EQ(Steps, (std::vector<Step>{
                       {"Editing and Copying a wave file for Track01...", 0, 3},
                       {"Editing and Copying a wave file for Track02...", 1, 3},
                       {"Editing and Copying a wave file for Track03...", 2, 3},
                       {"Exporting Cue sheet...", 3, 3},
                   }));
  EXPECT_EQ(Prompter.Log.back(), "Plain: Operation Successfully Completed.");
}

TEST_F(WindowMakeTest, CancelStopsTheRunAfterTheCurrentTrack) {
  Window->DropPaths("Tracks", {Wave("a.wav"), Wave("b.wav"), Wave("c.wav")});
  const std::string cue = Dir / "cancelled.cue";
  Prompter.SaveAnswers.push_back(cue);
  // Hold the worker inside RunStarted until Cancel has been pressed, so the run cannot
  // finish first.
  auto pressed = std::make_shared<std::promise<void>>();
  std::shared_future<void> done = pressed->get_future().share();
  test::ProgressLog holding;
  holding.Next = Dlg;
  holding.Hook = [done](const std::string& note) {
    if (note.rfind("RunStarted ", 0) == 0) done.wait();
  };
  Window->Maker().ReportProgressTo(&holding);
  // Pressed at the first step shown: the run's start.
  const QMetaObject::Connection pressing =
      QObject::connect(Dlg, &MakeProgressDialog::Updated, [this, pressed] {
        if (!Dlg->Cancelling()) {
          auto* cancel = Dlg->findChild<QPushButton*>("CancelBtn");
          QTest::mouseClick(cancel, Qt::LeftButton);
          // Said at once, and the button is spent; the dialog stays until the run closes it.
          EXPECT_EQ(Now(Dlg).Operation, "Cancelling\u2026");
          EXPECT_FALSE(cancel->isEnabled());
          EXPECT_TRUE(Dlg->isVisible());
          pressed->set_value();
        }
      });
  Window->Action("FileMake")->trigger();
  EXPECT_EQ(Prompter.Log.back(), "Plain: Operation was Canceled by User.");
  EXPECT_FALSE(std::filesystem::exists(cue));
  EXPECT_LT(Steps.size(), 4u);
  // The track that was finished meanwhile does not take the word back.
  for (size_t i = 1; i < Steps.size(); ++i) EXPECT_EQ(Steps[i].Operation, "Cancelling\u2026");
  EXPECT_TRUE(Ctx().IsIdle());

  // The next run starts with its own texts and a Cancel button that works.
  QObject::disconnect(pressing);
  Steps.clear();
  Window->Maker().ReportProgressTo(Dlg);
  Prompter.SaveAnswers.push_back(cue);
  Window->Action("FileTest")->trigger();
  ASSERT_FALSE(Steps.empty());
  EXPECT_EQ(Steps.front().Operation, "Editing and Copying a wave file for Track01...");
  EXPECT_TRUE(Dlg->findChild<QPushButton*>("CancelBtn")->isEnabled());
  EXPECT_EQ(Prompter.Log.back(), "Plain: Operation Successfully Completed.");
}

TEST_F(WindowMakeTest, AShortFirstPreGapIsRefusedBeforeAnythingIsAsked) {
  Window->DropPaths("Tracks", {Wave("a.wav")});
  Ctx().Layout.At(0).SetPreGapLength(149);
  Window->Action("FileMake")->trigger();
  ASSERT_EQ(Prompter.Log.size(), 1u);
  EXPECT_EQ(Prompter.Log[0],
            "Warning: Pre-gap for the first audio track must be at least 2 seconds.");
  EXPECT_TRUE(Steps.empty());
}

TEST_F(WindowMakeTest, AFailedRunShowsItsMessageAfterTheDialogCloses) {
  Window->DropPaths("Tracks", {Wave("a.wav")});
  std::filesystem::remove(Dir / "a.wav");  // gone before making
  Ctx().Settings.MakeAlways = true;
  Prompter.SaveAnswers.push_back(Dir / "fail.cue");
  Window->Action("FileMake")->trigger();
  ASSERT_FALSE(Prompter.Log.empty());
  EXPECT_EQ(Prompter.Log.back().rfind("Error: ", 0), 0u) << Prompter.Log.back();
  EXPECT_FALSE(Dlg->isVisible());
  EXPECT_FALSE(std::filesystem::exists(Dir / "fail.cue"));
  EXPECT_TRUE(Ctx().IsIdle());
}

}  // namespace
}  // namespace varnel
