// The track list: reordering by dragging, the double click by time, row painting.
#include <QImage>
#include <QPainter>

#include "support/UiTestSupport.h"
#include "ui/widgets/ListFont.h"
#include "ui/widgets/TrackDrag.h"

namespace varnel {
namespace {

TEST(TrackDrag, PressOutsideAnyEntryOrWithAnotherButtonStartsNothing) {
  TrackDrag d;
  EXPECT_EQ(d.Press(true, 10000, 500, true, -1), TrackDrag::PressResult::Nothing);
  EXPECT_FALSE(d.Dragging);
  EXPECT_EQ(d.Press(true, 20000, 500, false, 1), TrackDrag::PressResult::Nothing);
  EXPECT_FALSE(d.Dragging);
  int32_t from = 0, to = 0;
  EXPECT_FALSE(d.Move(true, 0, from, to));
}

TEST(TrackDrag, DoubleClickNeedsBothPressesOnTheSameRowWithinTheTime) {
  struct Case {
    int32_t FirstRow;
    uint32_t Later;
    bool LeftButton;
    int32_t SecondRow;
    TrackDrag::PressResult Second;
  } const cases[] = {
      {3, 499, true, 3, TrackDrag::PressResult::DoubleClick},
      {3, 499, false, 3, TrackDrag::PressResult::DoubleClick},  // any button
      {3, 500, true, 3, TrackDrag::PressResult::DragStarted},   // too late
      {2, 100, true, 3, TrackDrag::PressResult::DragStarted},   // another row
      {-1, 100, true, 3, TrackDrag::PressResult::DragStarted},  // first beside the rows
      {-1, 100, false, -1, TrackDrag::PressResult::Nothing},    // both beside the rows
      {3, 100, false, -1, TrackDrag::PressResult::Nothing},     // second beside the rows
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.FirstRow << " then " << c.SecondRow << " after " << c.Later);
    TrackDrag d;
    d.Press(true, 10000, 500, true, c.FirstRow);
    d.Release();
    EXPECT_EQ(d.Press(true, 10000 + c.Later, 500, c.LeftButton, c.SecondRow), c.Second);
    if (c.Second == TrackDrag::PressResult::DoubleClick) {
      EXPECT_FALSE(d.Dragging);
      EXPECT_EQ(d.DragIndex, -1);
      // A third quick press begins no second double click.
      EXPECT_NE(d.Press(true, 10000 + c.Later + 1, 500, true, c.SecondRow),
                TrackDrag::PressResult::DoubleClick);
    }
  }
}

TEST(TrackDrag, ClockWrapStillMeasuresTheTrueInterval) {
  TrackDrag d;
  d.Press(true, 0xFFFFFF00u, 500, true, 0);
  EXPECT_EQ(d.Press(true, 0x00000010u, 500, true, 0), TrackDrag::PressResult::DoubleClick);
}

TEST(TrackDrag, WhileARunIsUnderWayPressesAndMovesAreIgnoredButReleasesCount) {
  TrackDrag d;
  d.Press(true, 10000, 500, true, 1);
  EXPECT_EQ(d.Press(false, 10100, 500, true, 2), TrackDrag::PressResult::Ignored);
  EXPECT_EQ(d.LastPressTime, 10000u);
  int32_t from = 0, to = 0;
  EXPECT_FALSE(d.Move(false, 2, from, to));
  d.Release();
  EXPECT_FALSE(d.Dragging);
}

// The list shows as many columns as the settings file keeps widths for, and starts at the
// widths a settings file without any gives (the last column takes the room left).
TEST(TrackListView, ColumnsAgreeWithTheSettingsFile) {
  test::FakePrompter prompter;
  AppContext ctx(prompter);
  TrackListView list(ctx);
  const AppSettings unset;
  ASSERT_EQ(list.Model()->columnCount(), static_cast<int>(unset.ColumnWidth.size()));
  ASSERT_EQ(list.Header()->count(), list.Model()->columnCount());
  for (int c = 0; c + 1 < list.Header()->count(); ++c) {
    EXPECT_EQ(list.Header()->sectionSize(c), unset.ColumnWidth[static_cast<size_t>(c)]) << c;
  }
}

class TrackListTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Window->DropPaths("Tracks", {Wave("one.wav"), Wave("two.wav"), Wave("three.wav")});
    ASSERT_EQ(List()->Model()->rowCount(), 3);
    List()->SetClock([this] { return Now; });
    Window->ShowTrackPropertiesDialog = [this](Track& t, std::string&) {
      Opened.push_back(t.TrackFileName);
    };
  }
  std::vector<std::string> Order() {
    std::vector<std::string> names;
    for (int32_t i = 0; i < Ctx().Layout.Count(); ++i) {
      names.push_back(FileNamePart(Ctx().Layout.At(i).TrackFileName));
    }
    return names;
  }
  static std::string FileNamePart(const std::string& p) { return p.substr(p.rfind('/') + 1); }
  QWidget* Port() { return List()->viewport(); }

  uint32_t Now = 100000;
  std::vector<std::string> Opened;
};

TEST_F(TrackListTest, FastDragSwapsFirstAndThirdRows) {
  QTest::mousePress(Port(), Qt::LeftButton, {}, RowCentre(2));
  QTest::mouseMove(Port(), RowCentre(0));
  QTest::mouseRelease(Port(), Qt::LeftButton, {}, RowCentre(0));
  EXPECT_EQ(Order(), (std::vector<std::string>{"three.wav", "two.wav", "one.wav"}));
  EXPECT_EQ(Ctx().SelectedTrack, 0);
  EXPECT_FALSE(List()->Drag().Dragging);
}

TEST_F(TrackListTest, SlowDragCarriesTheRowAlong) {
  QTest::mousePress(Port(), Qt::LeftButton, {}, RowCentre(2));
  QTest::mouseMove(Port(), RowCentre(1));
  QTest::mouseMove(Port(), RowCentre(0));
  QTest::mouseRelease(Port(), Qt::LeftButton, {}, RowCentre(0));
  EXPECT_EQ(Order(), (std::vector<std::string>{"three.wav", "one.wav", "two.wav"}));
  // The list shows the new order and the status bar does not change.
  EXPECT_EQ(List()->RowTexts(0)[1], "three.wav");
  EXPECT_EQ(List()->RowTexts(0)[0], "1");
  EXPECT_EQ(Panel(0), " Total: 03 tracks");
}

TEST_F(TrackListTest, MovesAfterTheReleaseOrFromOutsideAnEntryDoNothing) {
  QTest::mousePress(Port(), Qt::LeftButton, {}, RowCentre(0));
  QTest::mouseRelease(Port(), Qt::LeftButton, {}, RowCentre(0));
  QTest::mouseMove(Port(), RowCentre(2));
  Now += 10000;
  const QPoint below(10, RowCentre(2).y() + 40);
  QTest::mousePress(Port(), Qt::LeftButton, {}, below);
  QTest::mouseMove(Port(), RowCentre(0));
  QTest::mouseRelease(Port(), Qt::LeftButton, {}, RowCentre(0));
  EXPECT_EQ(Order(), (std::vector<std::string>{"one.wav", "two.wav", "three.wav"}));
}

TEST_F(TrackListTest, TwoPressesWithinTheDoubleClickTimeOpenTheSelectedTrack) {
  const uint32_t interval = static_cast<uint32_t>(QApplication::doubleClickInterval());
  ASSERT_GT(interval, 1u);
  QTest::mousePress(Port(), Qt::LeftButton, {}, RowCentre(1));
  QTest::mouseRelease(Port(), Qt::LeftButton, {}, RowCentre(1));
  Now += interval - 1;
  QTest::mousePress(Port(), Qt::LeftButton, {}, RowCentre(1));
  QTest::mouseRelease(Port(), Qt::LeftButton, {}, RowCentre(1));
  ASSERT_EQ(Opened.size(), 1u);
  EXPECT_EQ(FileNamePart(Opened[0]), "two.wav");

  // Slower than the double-click time: two single presses.
  Now += interval;
  QTest::mousePress(Port(), Qt::LeftButton, {}, RowCentre(2));
  QTest::mouseRelease(Port(), Qt::LeftButton, {}, RowCentre(2));
  Now += interval;
  QTest::mousePress(Port(), Qt::LeftButton, {}, RowCentre(2));
  QTest::mouseRelease(Port(), Qt::LeftButton, {}, RowCentre(2));
  EXPECT_EQ(Opened.size(), 1u);
}

// Two quick presses on different rows, or one beside the rows, are two single presses.
TEST_F(TrackListTest, QuickPressesOnDifferentRowsOpenNothing) {
  const uint32_t interval = static_cast<uint32_t>(QApplication::doubleClickInterval());
  const QPoint below(10, RowCentre(2).y() + 40);
  const std::pair<QPoint, QPoint> pairs[] = {
      {RowCentre(0), RowCentre(1)}, {below, RowCentre(2)}, {RowCentre(2), below}, {below, below}};
  for (const auto& [first, second] : pairs) {
    Now += interval * 2;
    QTest::mousePress(Port(), Qt::LeftButton, {}, first);
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, first);
    Now += 10;
    QTest::mousePress(Port(), Qt::LeftButton, {}, second);
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, second);
  }
  EXPECT_TRUE(Opened.empty());
  // The order stayed as it was: a press and release is no drag.
  EXPECT_EQ(Order(), (std::vector<std::string>{"one.wav", "two.wav", "three.wav"}));
}

TEST_F(TrackListTest, QtsOwnDoubleClickEventCountsAsAPress) {
  QTest::mousePress(Port(), Qt::LeftButton, {}, RowCentre(0));
  QTest::mouseRelease(Port(), Qt::LeftButton, {}, RowCentre(0));
  Now += 10;
  QTest::mouseDClick(Port(), Qt::LeftButton, {}, RowCentre(0));
  ASSERT_EQ(Opened.size(), 1u);
  EXPECT_EQ(FileNamePart(Opened[0]), "one.wav");
}

// Rows leave room for accents and descenders ("g", "q") whatever the font.
TEST_F(TrackListTest, RowsAreAsHighAsTheFontsLines) {
  EXPECT_EQ(List()->RowHeight(), ListRowHeight(List()->font()));
  EXPECT_EQ(List()->visualRect(List()->Model()->index(0)).height(), List()->RowHeight());
  for (int px : {9, 12, 16, 21, 30}) {
    QFont f("DejaVu Sans");
    f.setPixelSize(px);
    const QFontMetrics m(f);
    EXPECT_GE(ListRowHeight(f), m.ascent() + m.descent() + 1) << px;
    EXPECT_GE(ListRowHeight(f), m.boundingRect("gqpyjÅÉ").height()) << px;
  }
}

// Renders the list and returns the viewport's picture.
QImage Render(TrackListView* list) {
  QImage image(list->viewport()->size(), QImage::Format_ARGB32);
  image.fill(Qt::magenta);
  list->viewport()->render(&image);
  return image;
}

TEST_F(TrackListTest, RowsArePaintedInTheirColoursAndClippedToTheirColumns) {
  QHeaderView* header = List()->Header();
  header->resizeSection(1, 30);  // "File name": much narrower than "three.wav"
  test::Settle();
  List()->setCurrentIndex(List()->Model()->index(0));
  // Without the keyboard focus, which tints the current row with a frame.
  List()->clearFocus();
  const QImage image = Render(List());
  const QPalette pal = List()->palette();
  const QColor highlight = pal.color(QPalette::Active, QPalette::Highlight);
  const QColor base = pal.color(QPalette::Active, QPalette::Base);
  const QRect row0 = List()->visualRect(List()->Model()->index(0));
  const QRect row2 = List()->visualRect(List()->Model()->index(2));

  // Background: highlight on the selected row, the window colour on the others; the
  // first pixel of the row is background even under text cells.
  EXPECT_EQ(QColor(image.pixel(header->sectionViewportPosition(0), row0.top())), highlight);
  EXPECT_EQ(QColor(image.pixel(header->sectionViewportPosition(0), row2.top())), base);

  // The file name column: some text inside its rectangle, none in the 5 pixels at its right.
  const int left = header->sectionViewportPosition(1);
  bool textInside = false;
  for (int x = left + 3; x < left + 30 - 5; ++x) {
    for (int y = row2.top(); y <= row2.bottom(); ++y) {
      if (QColor(image.pixel(x, y)) != base) textInside = true;
    }
  }
  EXPECT_TRUE(textInside);
  for (int x = left + 30 - 5; x < left + 30; ++x) {
    for (int y = row2.top(); y <= row2.bottom(); ++y) {
      ASSERT_EQ(QColor(image.pixel(x, y)), base) << "text outside its rectangle at " << x;
    }
    for (int y = row0.top(); y <= row0.bottom(); ++y) {
      ASSERT_EQ(QColor(image.pixel(x, y)), highlight) << "text outside its rectangle at " << x;
    }
  }
  // Nothing is drawn left of the text rectangle's 3-pixel margin.
  for (int x = left; x < left + 3; ++x) {
    for (int y = row2.top(); y <= row2.bottom(); ++y) {
      ASSERT_EQ(QColor(image.pixel(x, y)), base);
    }
  }
}

class PaintCounter : public QObject {
 public:
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

TEST_F(TrackListTest, ResizingAColumnRedrawsTheList) {
  test::Settle();
  PaintCounter counter;
  Port()->installEventFilter(&counter);
  List()->Header()->resizeSection(0, 200);
  EXPECT_TRUE(QTest::qWaitFor([&] { return counter.Paints > 0; }, 5000));
  Port()->removeEventFilter(&counter);
  EXPECT_EQ(List()->Header()->sectionViewportPosition(1), 200);
}

}  // namespace
}  // namespace varnel
