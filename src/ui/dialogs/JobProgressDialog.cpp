#include "ui/dialogs/JobProgressDialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace varnel {

bool JobProgressDialog::CloseAtJobEnd() {
  if (!isVisible()) return false;
  Closing_ = true;
  done(QDialog::Accepted);
  Closing_ = false;
  return true;
}

void JobProgressDialog::closeEvent(QCloseEvent* e) {
  if (Closing_) {
    QDialog::closeEvent(e);
  } else {
    e->ignore();
  }
}

void JobProgressDialog::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

void JobProgressDialog::reject() {
  if (Closing_) QDialog::reject();
}

}  // namespace varnel
