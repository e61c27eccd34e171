#include "ui/dialogs/CdTextDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/widgets/ListFont.h"

namespace varnel {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The EBU codes offered, English first (the default).
const struct {
  uint8_t Code;
  const char* Name;
} kLanguages[] = {{0x09, "English"}, {0x08, "German"}, {0x0F, "French"},  {0x0A, "Spanish"},
                  {0x15, "Italian"}, {0x1D, "Dutch"},  {0x69, "Japanese"}};

}  // namespace

CdTextTableWidget::CdTextTableWidget(CdTextEditor& editor, QWidget* parent)
    : QTableWidget(parent), Editor_(editor) {
  setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                  QAbstractItemView::EditKeyPressed);
  setTabKeyNavigation(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void CdTextTableWidget::MoveTo(CdTextMove move) {
  const CdTextCell next = Editor_.Moved({currentRow(), currentColumn()}, move);
  setCurrentCell(next.Row, next.Column);
}

QModelIndex CdTextTableWidget::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  if (action == MoveNext || action == MovePrevious) {
    const CdTextCell next =
        Editor_.Moved({currentRow(), currentColumn()},
                      action == MoveNext ? CdTextMove::Tab : CdTextMove::BackTab);
    return model()->index(next.Row, next.Column);
  }
  return QTableWidget::moveCursor(action, modifiers);
}

void CdTextTableWidget::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Enter while typing: the text is taken and the cursor goes down, as in a spreadsheet.
  const bool enter = hint == QAbstractItemDelegate::SubmitModelCache;
  QTableWidget::closeEditor(editor, enter ? QAbstractItemDelegate::NoHint : hint);
  if (enter) MoveTo(CdTextMove::Enter);
}

void CdTextTableWidget::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    emit PasteRequested();
    return;
  }
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      state() != EditingState) {
    MoveTo(CdTextMove::Enter);
    return;
  }
  if (event->matches(QKeySequence::Delete) && state() != EditingState) {
    if (QTableWidgetItem* it = currentItem()) it->setText(QString());
    return;
  }
  QTableWidget::keyPressEvent(event);
}

CdTextDialog::CdTextDialog(AppContext& ctx, QWidget* parent) : QDialog(parent), Editor_(ctx) {
  setObjectName("CdTextDlg");
  setWindowTitle("CD-Text");
  setFont(DialogFont());
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  auto* caption = new QLabel("Text of the disc and of each track:", this);
  caption->setObjectName("CdTextTableLbl");
  layout->addWidget(caption);
  Table_ = new CdTextTableWidget(Editor_, this);
  Table_->setObjectName("CdTextTable");
  Table_->setAccessibleName("CD-Text");
  caption->setBuddy(Table_);
  Table_->setColumnCount(CdTextEditor::ColumnCount());
  QStringList headers;
  for (int32_t c = 0; c < CdTextEditor::ColumnCount(); ++c)
    headers << Q(CdTextEditor::ColumnName(c));
  Table_->setHorizontalHeaderLabels(headers);
  Table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  Table_->setMinimumSize(720, 260);
  layout->addWidget(Table_, 1);

  Limits_ = new QLabel(this);
  Limits_->setObjectName("CdTextLimitsLbl");
  Limits_->setWordWrap(true);
  layout->addWidget(Limits_);

  auto* discRow = new QHBoxLayout;
  Genre_ = new QComboBox(this);
  Genre_->setObjectName("GenreCmb");
  Genre_->setAccessibleName("Genre");
  Genre_->addItem("(none)");
  for (int code = 1; code < kCdTextGenreCount; ++code) Genre_->addItem(CdTextGenreName(code));
  auto* genreCaption = new QLabel("Genre:", this);
  genreCaption->setBuddy(Genre_);
  Language_ = new QComboBox(this);
  Language_->setObjectName("LanguageCmb");
  Language_->setAccessibleName("Language");
  for (const auto& l : kLanguages) Language_->addItem(l.Name, l.Code);
  auto* languageCaption = new QLabel("Language:", this);
  languageCaption->setBuddy(Language_);
  discRow->addWidget(genreCaption);
  discRow->addWidget(Genre_);
  discRow->addWidget(languageCaption);
  discRow->addWidget(Language_);
  discRow->addStretch();
  layout->addLayout(discRow);

  auto* tagRow = new QHBoxLayout;
  auto* fill = new QPushButton("&Fill from tags", this);
  fill->setObjectName("FillTagsBtn");
  Overwrite_ = new QCheckBox("Over&write typed text", this);
  Overwrite_->setObjectName("OverwriteCk");
  auto* open = new QPushButton("&Open a .cdt file\u2026", this);
  open->setObjectName("OpenCdtBtn");
  Filled_ = new QLabel(this);
  Filled_->setObjectName("FilledLbl");
  tagRow->addWidget(fill);
  tagRow->addWidget(Overwrite_);
  tagRow->addWidget(Filled_, 1);
  tagRow->addWidget(open);
  layout->addLayout(tagRow);

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton(QDialogButtonBox::Ok);
  ok->setObjectName("OkBtn");
  ok->setAutoDefault(false);
  auto* cancel = buttons->addButton(QDialogButtonBox::Cancel);
  cancel->setObjectName("CancelBtn");
  cancel->setAutoDefault(false);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(Table_, &QTableWidget::cellChanged, this, [this](int row, int column) {
    if (Updating_) return;
    Editor_.SetText(row, column, Table_->item(row, column)->text().toStdString());
    ShowLimits();
  });
  connect(Table_, &QTableWidget::currentCellChanged, this, [this] { ShowLimits(); });
  connect(Table_, &CdTextTableWidget::PasteRequested, this, &CdTextDialog::Paste);
  connect(Genre_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (Updating_ || index < 0) return;
    Editor_.SetGenre(static_cast<uint16_t>(index));
    ShowLimits();
  });
  connect(Language_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (Updating_ || index < 0) return;
    Editor_.SetLanguage(static_cast<uint8_t>(Language_->itemData(index).toUInt()));
  });
  connect(fill, &QPushButton::clicked, this, [this] {
    const int32_t filled = Editor_.FillFromTags(Overwrite_->isChecked());
    Filled_->setText(QString("%1 fields filled from tags.").arg(filled));
    Redraw();
  });
  connect(open, &QPushButton::clicked, this, [this] {
    if (Editor_.OpenCdtFile()) Redraw();
  });
  Redraw();
  Table_->setCurrentCell(0, 0);
}

void CdTextDialog::Redraw() {
  Updating_ = true;
  Table_->setRowCount(Editor_.RowCount());
  QStringList rows;
  for (int32_t r = 0; r < Editor_.RowCount(); ++r) {
    rows << Q(Editor_.RowName(r));
    for (int32_t c = 0; c < CdTextEditor::ColumnCount(); ++c) {
      QTableWidgetItem* item = Table_->item(r, c);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        Table_->setItem(r, c, item);
      }
      item->setText(Q(Editor_.Text(r, c)));
    }
  }
  Table_->setVerticalHeaderLabels(rows);
  Genre_->setCurrentIndex(Editor_.Genre());
  const int language = Language_->findData(Editor_.Language());
  if (language >= 0) {
    Language_->setCurrentIndex(language);
  } else {
    Language_->addItem(QString("Code %1").arg(Editor_.Language()), Editor_.Language());
    Language_->setCurrentIndex(Language_->count() - 1);
  }
  Updating_ = false;
  ShowLimits();
}

void CdTextDialog::ShowLimits() {
  QString text = Q(Editor_.LimitText());
  const int row = Table_->currentRow();
  const int column = Table_->currentColumn();
  if (row >= 0 && column >= 0) {
    const std::string problem = Editor_.CellProblem(row, column);
    if (!problem.empty()) text += " \u2014 " + Q(problem);
  }
  Limits_->setText(text);
}

void CdTextDialog::Paste() {
  const int row = std::max(0, Table_->currentRow());
  const int column = std::max(0, Table_->currentColumn());
  const CdTextCell end =
      Editor_.Paste({row, column}, QApplication::clipboard()->text().toStdString());
  Redraw();
  Table_->setCurrentCell(end.Row, end.Column);
}

bool CdTextDialog::Edit() {
  return exec() == QDialog::Accepted && Editor_.Accept();
}

}  // namespace varnel
