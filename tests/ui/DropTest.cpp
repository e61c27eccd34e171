// Files dropped from the file manager: the control under the pointer decides.
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>

#include "support/UiTestSupport.h"

namespace varnel {
namespace {

class DropTest : public test::WindowTest {
 protected:
  // Drops `urls` at `pos` of `target` as the file manager would, and lets the window take
  // the files.
  bool DropOn(QWidget* target, QPoint pos, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPointF at = target->mapTo(Window.get(), pos);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Window.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Window.get(), &drop);
    test::Settle();
    return drop.isAccepted();
  }
  bool DropOn(QWidget* target, const QList<QUrl>& urls) {
    return DropOn(target, target->rect().center(), urls);
  }
  static QUrl File(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path));
  }
};

TEST_F(DropTest, FieldsLeaveDropsToTheWindow) {
  EXPECT_TRUE(Window->acceptDrops());
  for (const char* name : {"BinPathEdit", "CdtEdit", "CatalogEdit"}) {
    EXPECT_FALSE(Child<QLineEdit>(name)->acceptDrops()) << name;
  }
  EXPECT_FALSE(List()->viewport()->acceptDrops());
}

TEST_F(DropTest, ControlUnderThePointerIsFoundByName) {
  auto nameAt = [this](QWidget* w, QPoint p) {
    return Window->ControlNameAt(w->mapTo(Window.get(), p));
  };
  QGroupBox* dataBox = Child<QGroupBox>("DataTrackGbx");
  EXPECT_EQ(nameAt(Child<QLineEdit>("BinPathEdit"), {5, 5}), "BinPathEdit");
  EXPECT_EQ(nameAt(Child<QComboBox>("BinTypeCmb"), {5, 5}), "BinTypeCmb");
  EXPECT_EQ(nameAt(Child<QPushButton>("BinBrowseBtn"), {5, 5}), "BinBrowseBtn");
  // The "Image:" caption is part of the box it stands in.
  QLabel* caption = nullptr;
  for (QLabel* l : dataBox->findChildren<QLabel*>()) {
    if (l->text() == "Image:") caption = l;
  }
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(nameAt(caption, caption->rect().center()), "DataTrackGbx");
  EXPECT_EQ(nameAt(List()->viewport(), {5, 5}), "Tracks");
  EXPECT_EQ(nameAt(List()->Header(), {5, 5}), "TracksHdr");
  EXPECT_EQ(nameAt(Child<QLineEdit>("CdtEdit"), {5, 5}), "CdtEdit");
}

TEST_F(DropTest, OnTheImageControlsTheFirstFileBecomesTheDataTrack) {
  test::WriteBytes(Dir / "one.bin", std::vector<uint8_t>(2352 * 10, 1));
  test::WriteBytes(Dir / "two.bin", std::vector<uint8_t>(2352 * 10, 1));
  ASSERT_TRUE(
      DropOn(Child<QLineEdit>("BinPathEdit"), {File(Dir / "one.bin"), File(Dir / "two.bin")}));
  EXPECT_EQ(Ctx().Layout.DataTrackFile, Dir / "one.bin");
  EXPECT_EQ(Child<QLineEdit>("BinPathEdit")->text().toStdString(), Dir / "one.bin");
  EXPECT_TRUE(Child<QComboBox>("BinTypeCmb")->isEnabled());
  EXPECT_EQ(Panel(3), " Data disc");

  ASSERT_TRUE(DropOn(Child<QGroupBox>("DataTrackGbx"), {8, 8}, {File(Dir / "two.bin")}));
  EXPECT_EQ(Ctx().Layout.DataTrackFile, Dir / "two.bin");
  ASSERT_TRUE(DropOn(Child<QComboBox>("BinTypeCmb"), {File(Dir / "one.bin")}));
  EXPECT_EQ(Ctx().Layout.DataTrackFile, Dir / "one.bin");
  ASSERT_TRUE(DropOn(Child<QPushButton>("BinBrowseBtn"), {File(Dir / "two.bin")}));
  EXPECT_EQ(Ctx().Layout.DataTrackFile, Dir / "two.bin");
  EXPECT_EQ(List()->Model()->rowCount(), 0);
}

TEST_F(DropTest, OnTheCdtFieldOnlyALowerCaseCdtIsTaken) {
  test::WriteText(Dir / "upper.CDT", "x");
  test::WriteText(Dir / "text.cdt", "x");
  QLineEdit* cdt = Child<QLineEdit>("CdtEdit");
  ASSERT_TRUE(DropOn(cdt, {File(Dir / "upper.CDT")}));
  EXPECT_EQ(Ctx().Layout.CdtPath, "");
  EXPECT_EQ(cdt->text(), "");
  ASSERT_TRUE(DropOn(cdt, {File(Dir / "text.cdt"), File(Dir / "upper.CDT")}));
  EXPECT_EQ(Ctx().Layout.CdtPath, Dir / "text.cdt");
  EXPECT_EQ(cdt->text().toStdString(), Dir / "text.cdt");
}

TEST_F(DropTest, OnTheListOrItsHeaderEveryFileIsAdded) {
  const std::string a = Wave("a.wav"), b = Wave("b.wav"), c = Wave("c.wav");
  ASSERT_TRUE(DropOn(List()->viewport(), {File(a), File(b)}));
  EXPECT_EQ(List()->Model()->rowCount(), 2);
  EXPECT_EQ(Panel(0), " Total: 02 tracks");
  ASSERT_TRUE(DropOn(List()->Header(), {10, 5}, {File(c)}));
  EXPECT_EQ(List()->Model()->rowCount(), 3);
  EXPECT_EQ(List()->RowTexts(2)[1], "c.wav");
  EXPECT_TRUE(Prompter.Log.empty());
}

TEST_F(DropTest, ARefusedFileAsksWhetherToGoOn) {
  Ctx().Settings.ConvertSources = false;  // a mono wave file is refused, not converted
  const std::string bad = Dir / "mono.wav";
  std::vector<uint8_t> data(4000, 1);
  test::WriteBytes(bad, test::WaveBytes(data, 1));
  const std::string good = Wave("good.wav");
  Prompter.YesNoAnswers.push_back(false);
  ASSERT_TRUE(DropOn(List()->viewport(), {File(bad), File(good)}));
  EXPECT_EQ(List()->Model()->rowCount(), 0);
  ASSERT_EQ(Prompter.Log.size(), 1u);
  EXPECT_EQ(Prompter.Log[0].rfind("YesNo: \"" + bad + "\"", 0), 0u) << Prompter.Log[0];
}

TEST_F(DropTest, ElsewhereNothingHappens) {
  const std::string a = Wave("a.wav");
  ASSERT_TRUE(DropOn(Child<QStatusBar>("StatusBar"), {File(a)}));
  ASSERT_TRUE(DropOn(Child<QPushButton>("WaveClearbtn"), {File(a)}));
  ASSERT_TRUE(DropOn(Child<QLineEdit>("CatalogEdit"), {File(a)}));
  EXPECT_EQ(List()->Model()->rowCount(), 0);
  EXPECT_EQ(Ctx().Layout.DataTrackFile, "");
  EXPECT_EQ(Ctx().Layout.CdtPath, "");
  EXPECT_EQ(Ctx().Layout.MediaCatalog, std::string(13, ' '));
  EXPECT_TRUE(Prompter.Log.empty());
}

TEST_F(DropTest, OnlyLocalFilesAreAccepted) {
  EXPECT_FALSE(DropOn(List()->viewport(), {QUrl("https://example.org/a.wav")}));
  EXPECT_EQ(List()->Model()->rowCount(), 0);
  const std::string a = Wave("a.wav");
  ASSERT_TRUE(DropOn(List()->viewport(), {QUrl("https://example.org/b.wav"), File(a)}));
  EXPECT_EQ(List()->Model()->rowCount(), 1);
}

}  // namespace
}  // namespace varnel
