// Helpers of the window tests: driving modal dialogs and boxes, and a main window with a
// scripted prompter, its own settings file and a folder for test data.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "support/FakePrompter.h"
#include "support/TestFiles.h"
#include "ui/MainWindow.h"
#include "ui/widgets/TrackListView.h"

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

// A name that says nothing to a person: empty, a bare arrow, or a control name of the
// system ("ISRCEdit", "PreGapPadGroup", "StatusPanel0", "OkBtn" …).
inline bool IsInternalName(const QString& name) {
  static const QRegularExpression internal(
      "^[A-Z][A-Za-z0-9]*(Edit|Btn|btn|Ck|Chk|Cmb|Ud|Lbl|Gbx|Group|Gropu|Hdr|Panel[0-9]*|Bar|"
      "Frm|Dlg|Label[0-9]*)$");
  const QString n = name.trimmed();
  return n.isEmpty() || n == "Up" || n == "Down" || internal.match(n).hasMatch();
}

// Walks what assistive tools see of `root` (visible parts only) and fails on any control
// without a meaningful name, any label whose name is not its text, and push buttons of
// one window that share a name. Returns the names of the controls seen, by role.
inline std::multimap<QAccessible::Role, QString> ExpectReadableNames(QWidget* root) {
  std::multimap<QAccessible::Role, QString> seen;
  std::map<QString, int> buttons;
  std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* i, int depth) {
    if (i == nullptr || depth > 40 || i->state().invisible) return;
    const QAccessible::Role role = i->role();
    const QString name = i->text(QAccessible::Name);
    QObject* object = i->object();
    const QString id = object ? object->objectName() : QString();
    switch (role) {
      case QAccessible::PushButton:
      case QAccessible::CheckBox:
      case QAccessible::RadioButton:
      case QAccessible::EditableText:
      case QAccessible::ComboBox:
      case QAccessible::SpinBox:
      case QAccessible::Slider:
      case QAccessible::ProgressBar:
      case QAccessible::Table:
      case QAccessible::Tree:
      case QAccessible::List:
        EXPECT_FALSE(IsInternalName(name))
            << "control " << id.toStdString() << " reads as \"" << name.toStdString() << '"';
        seen.emplace(role, name);
        if (role == QAccessible::PushButton && !name.isEmpty()) ++buttons[name];
        break;
      case QAccessible::StaticText:
        if (auto* label = qobject_cast<QLabel*>(object)) {
          // A mnemonic's "&" is not read ("&&" reads as "&").
          static const QRegularExpression mnemonic("&(.)");
          EXPECT_EQ(name, QString(label->text()).replace(mnemonic, "\\1"))
              << "label " << id.toStdString();
        }
        break;
      default:
        break;
    }
    // The cells of a list are read by their texts; they need not be walked one by one.
    if (role == QAccessible::Table || role == QAccessible::Tree) return;
    for (int c = 0; c < i->childCount(); ++c) walk(i->child(c), depth + 1);
  };
  walk(QAccessible::queryAccessibleInterface(root), 0);
  for (const auto& [name, count] : buttons) {
    EXPECT_EQ(count, 1) << "buttons share the name \"" << name.toStdString() << '"';
  }
  return seen;
}

// Every visible child widget of `root` lies within it, no two controls of one layout
// overlap, and every label, button and check box shows its whole text (one line).
inline void ExpectNothingClipped(QWidget* root) {
  const QRect area = root->rect();
  std::vector<std::pair<QWidget*, QRect>> controls;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root) || w->isWindow()) continue;
    const QRect r(w->mapTo(root, QPoint(0, 0)), w->size());
    if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
        qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) {
      // Parts of a scrolled view may lie outside; the controls of a form may not.
      if (!w->parentWidget() ||
          !qobject_cast<QAbstractScrollArea*>(w->parentWidget()->parentWidget())) {
        EXPECT_TRUE(area.contains(r)) << w->objectName().toStdString() << " outside at " << r.x()
                                      << "," << r.y() << " " << r.width() << "x" << r.height();
        controls.emplace_back(w, r);
      }
    }
    // The whole text on one line: a label within its frame, a button or check box at the
    // width it asks for (its text with its margins or its mark).
    if (auto* l = qobject_cast<QLabel*>(w)) {
      QString text = l->text();
      if (text.isEmpty() || l->wordWrap()) continue;
      text.remove('&');
      EXPECT_GE(l->contentsRect().width(), l->fontMetrics().horizontalAdvance(text))
          << l->objectName().toStdString() << " cuts \"" << text.toStdString() << '"';
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      if (b->text().isEmpty()) continue;
      EXPECT_GE(b->width(), b->sizeHint().width())
          << b->objectName().toStdString() << " cuts \"" << b->text().toStdString() << '"';
    }
  }
  for (size_t a = 0; a < controls.size(); ++a) {
    for (size_t b = a + 1; b < controls.size(); ++b) {
      if (controls[a].first->isAncestorOf(controls[b].first) ||
          controls[b].first->isAncestorOf(controls[a].first)) {
        continue;
      }
      EXPECT_FALSE(controls[a].second.intersects(controls[b].second))
          << controls[a].first->objectName().toStdString() << " overlaps "
          << controls[b].first->objectName().toStdString();
    }
  }
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
    Window = std::make_unique<MainWindow>(Prompter, SettingsPath(), Dir.Path());
    // The CD-Text editor is counted, not shown (a modal dialog would wait for a person).
    Window->ShowCdTextDialog = [this](QDialog&) { ++CdTextDialogsShown; };
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
  }
  std::string SettingsPath() const { return Dir / "varnel.ini"; }
  int CdTextDialogsShown = 0;

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

  AppContext& Ctx() { return Window->Context(); }
  TrackListView* List() const { return Window->Tracks(); }
  QString Panel(int i) const {
    return Child<QLabel>(QString("StatusPanel%1").arg(i).toLatin1().constData())->text();
  }
  // The centre of row `row` in the list's viewport.
  QPoint RowCentre(int row) const {
    return List()->visualRect(List()->Model()->index(row)).center();
  }

  TempDir Dir;
  FakePrompter Prompter;
  std::unique_ptr<MainWindow> Window;
};

}  // namespace varnel::test
