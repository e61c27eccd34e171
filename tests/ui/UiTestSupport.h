// Helpers of the window tests: driving modal dialogs and boxes, and a main window with a
// scripted prompter, its own settings file and a folder for test data.
#pragma once

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "FakePrompter.h"
#include "Mainform.h"
#include "TestFiles.h"
#include "TrackListBox.h"

namespace varnel::test {

// Runs `act` on the next modal widget other than `except` that becomes active, from the
// event loop of whatever modal showing is running then. Gives up after `timeoutMs`.
inline void OnNextModal(std::function<void(QWidget*)> act, QWidget* except = nullptr,
                        int timeoutMs = 10000) {
  auto* timer = new QTimer(qApp);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout,
                   [timer, clock, act = std::move(act), except, timeoutMs] {
                     QWidget* modal = QApplication::activeModalWidget();
                     if (modal && modal != except && modal->isVisible()) {
                       timer->stop();
                       timer->deleteLater();
                       act(modal);
                     } else if (clock->elapsed() > timeoutMs) {
                       timer->stop();
                       timer->deleteLater();
                       ADD_FAILURE() << "no modal widget came up";
                     }
                   });
  timer->start();
}

// What assistive tools read as a widget's name (its accessible name, else its caption or
// the text of the label whose buddy it is).
inline QString AccessibleName(QObject* o) {
  QAccessibleInterface* i = o ? QAccessible::queryAccessibleInterface(o) : nullptr;
  return i ? i->text(QAccessible::Name) : QString();
}

// Lets queued calls and posted events run.
inline void Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(); }
  void TearDown() override { Window.reset(); }

  void Open() {
    Window = std::make_unique<TVnlMainFrm>(Prompter, SettingsPath(), Dir.Path());
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
  }
  std::string SettingsPath() const { return Dir / "varnel.ini"; }

  template <typename T>
  T* Child(const char* name) const {
    T* w = Window->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << "no control " << name;
    return w;
  }

  // A CD-audio wave file of `frames` sample frames of sound.
  std::string Wave(const std::string& name, size_t frames = 588 * 75) {
    return WriteWave(Dir / name, {{frames, false}});
  }

  TAppContext& Ctx() { return Window->Context(); }
  TTracksList* List() const { return Window->Tracks(); }
  QString Panel(int i) const {
    return Child<QLabel>(QString("StatusPanel%1").arg(i).toLatin1().constData())->text();
  }
  // The centre of row `row` in the list's viewport.
  QPoint RowCentre(int row) const {
    return List()->visualRect(List()->Model()->index(row)).center();
  }

  TempDir Dir;
  FakePrompter Prompter;
  std::unique_ptr<TVnlMainFrm> Window;
};

}  // namespace varnel::test
