// "CD-Text": the window of CdTextEditor. One table, a row for the disc and one per track, a
// column per field, typed into like a spreadsheet (typing starts editing, Tab and Back Tab
// walk the fields row after row, Enter goes down a column, Ctrl+V pastes a block of lines
// and TAB-separated fields from the current cell on); the disc's genre and language; "Fill
// from tags"; "Open a .cdt file…"; and a line telling how much of the 256 packs the text
// takes and what the current field holds that ISO 8859-1 lacks. OK hands the table to the
// layout; Cancel leaves it as it was.
#pragma once

#include <QDialog>
#include <QTableWidget>

#include "app/AppContext.h"
#include "app/editors/CdTextEditor.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace varnel {

// The table: the editor's moves for Tab, Back Tab and Enter, and Ctrl+V for a block.
class CdTextTableWidget : public QTableWidget {
  Q_OBJECT
 public:
  CdTextTableWidget(CdTextEditor& editor, QWidget* parent);

 signals:
  void PasteRequested();

 protected:
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void MoveTo(CdTextMove move);
  CdTextEditor& Editor_;
};

class CdTextDialog : public QDialog {
  Q_OBJECT
 public:
  CdTextDialog(AppContext& ctx, QWidget* parent = nullptr);

  // Shows the dialog modally; true when OK changed the layout.
  bool Edit();

  CdTextEditor& Editor() { return Editor_; }
  QTableWidget* Table() const { return Table_; }

 private:
  void Redraw();
  void ShowLimits();
  void Paste();

  CdTextEditor Editor_;
  CdTextTableWidget* Table_ = nullptr;
  QComboBox* Genre_ = nullptr;
  QComboBox* Language_ = nullptr;
  QCheckBox* Overwrite_ = nullptr;
  QLabel* Limits_ = nullptr;
  QLabel* Filled_ = nullptr;
  bool Updating_ = false;
};

}  // namespace varnel
