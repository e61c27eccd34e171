// The main window's toolbar, capacity bar, "Open Recent" menu, Undo and Redo items, and the
// layout named on the command line.
#include <QAction>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "app/commands/LayoutFile.h"
#include "app/commands/RecentLayouts.h"
#include "app/commands/UndoStack.h"
#include "app/views/Capacity.h"
#include "ui/MainWindow.h"
#include "ui/widgets/CapacityBar.h"

namespace varnel {

namespace {

// Qt has no icon of its own for recording: the red dot desktop themes draw.
QIcon RecordIcon() {
  QPixmap dot(32, 32);
  dot.fill(Qt::transparent);
  QPainter painter(&dot);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xcc, 0x22, 0x22));
  painter.drawEllipse(QRectF(5, 5, 22, 22));
  return QIcon(dot);
}

}  // namespace

void MainWindow::BuildToolBar() {
  // The commands a user reaches for most, with the desktop theme's icons (Qt's own where
  // the theme has none) and short texts that the toolbar shows beside them.
  static const struct {
    const char* Action;
    const char* Text;
    const char* Icon;
    QStyle::StandardPixmap Fallback;
  } kTools[] = {
      {"FileAudio", "Add files", "list-add", QStyle::SP_DialogOpenButton},
      {"EditRemove", "Remove", "list-remove", QStyle::SP_TrashIcon},
      {"EditMoveUp", "Move up", "go-up", QStyle::SP_ArrowUp},
      {"EditMoveDown", "Move down", "go-down", QStyle::SP_ArrowDown},
      {"EditProperty", "Properties", "document-properties", QStyle::SP_FileDialogDetailedView},
      {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
      {"FileCheck", "Check disc", "tools-check-spelling", QStyle::SP_DialogApplyButton},
      {"FileMake", "Make", "media-optical", QStyle::SP_DriveCDIcon},
      {"FileBurn", "Burn", "media-record", QStyle::SP_CustomBase},  // a red dot, as themes have
  };
  ToolBar_ = new QToolBar("Toolbar", this);
  ToolBar_->setObjectName("MainToolBar");
  ToolBar_->setAccessibleName("Toolbar");
  ToolBar_->setMovable(false);
  ToolBar_->setFloatable(false);
  ToolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
  for (const auto& tool : kTools) {
    if (tool.Action == nullptr) {
      ToolBar_->addSeparator();
      continue;
    }
    QAction* a = Action(tool.Action);
    a->setIcon(QIcon::fromTheme(tool.Icon, tool.Fallback == QStyle::SP_CustomBase
                                               ? RecordIcon()
                                               : style()->standardIcon(tool.Fallback)));
    a->setIconText(tool.Text);
    const QString keys = a->shortcut().toString(QKeySequence::NativeText);
    a->setToolTip(keys.isEmpty() ? QString(tool.Text) : QString("%1 (%2)").arg(tool.Text, keys));
    ToolBar_->addAction(a);
  }
  // The button that shows what a narrow window cannot fit reads as what it does.
  if (auto* more = ToolBar_->findChild<QToolButton*>("qt_toolbar_ext_button")) {
    more->setAccessibleName("More toolbar commands");
  }
  addToolBar(Qt::TopToolBarArea, ToolBar_);
}

void MainWindow::NoteChange(const char* label, bool merge) {
  if (Ctx_.History.Note(Ctx_.Layout, label, merge)) RefreshUndoActions();
}

void MainWindow::RefreshUndoActions() {
  const auto show = [this](const char* name, const char* text, const std::string& what) {
    QAction* a = Action(name);
    a->setText(what.empty() ? QString(text)
                            : QString("%1 %2").arg(text, QString::fromStdString(what)));
    a->setEnabled(!what.empty());
  };
  show("EditUndo", "&Undo", Ctx_.History.UndoLabel());
  show("EditRedo", "R&edo", Ctx_.History.RedoLabel());
}

void MainWindow::RefreshRecentMenu() {
  RecentMenu_->clear();
  const std::vector<RecentLayoutEntry> entries = RecentLayoutEntries(Ctx_.Settings);
  for (const RecentLayoutEntry& entry : entries) {
    QAction* a = RecentMenu_->addAction(QString::fromStdString(entry.Text));
    const QString path = QString::fromStdString(entry.Path);
    a->setToolTip(path);
    a->setStatusTip(path);
    // A layout that is gone is listed but cannot be chosen.
    a->setEnabled(entry.Exists);
    connect(a, &QAction::triggered, this, [this, path = entry.Path] { OpenRecent(path); });
  }
  if (entries.empty()) RecentMenu_->addAction("No recent layouts")->setEnabled(false);
  RecentMenu_->setToolTipsVisible(true);
}

void MainWindow::OpenRecent(const std::string& path) {
  if (!Ctx_.IsIdle()) return;
  Guarded([&] { OpenRecentLayout(Ctx_, path); });
  UpdateFromContext();
}

void MainWindow::RefreshCapacity() {
  DiscCapacity capacity;
  try {
    capacity = CapacityOfLayout(Ctx_.Layout, Ctx_.Settings);
  } catch (...) {
    // The bar shows an empty disc rather than stop the redraw.
  }
  Capacity_->Show(capacity, Ctx_.Settings.Media);
}

void MainWindow::OpenFromCommandLine(const QStringList& arguments) {
  if (arguments.size() < 2 || !Ctx_.IsIdle()) return;
  const std::string path = QFileInfo(arguments.at(1)).absoluteFilePath().toStdString();
  Guarded([&] { LoadLayoutFile(Ctx_, path); });
  UpdateFromContext();
}

}  // namespace varnel
