#include "ui/QtPrompter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include "ui/dialogs/DiscCheckDialog.h"

namespace varnel {

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

int RunBox(QWidget* owner, QMessageBox::Icon icon, const std::string& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  QApplication::beep();
  QMessageBox box(icon, Q(kProgramTitle), Q(text), buttons, owner);
  box.setObjectName("MessageBox");
  box.setDefaultButton(defaultButton);
  return box.exec();
}

}  // namespace

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = Q(filter).split('|');
  QStringList out;
  static const QRegularExpression trailingPatterns(R"(\s*\([^()]*\)\s*$)");
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString desc = parts[i];
    desc.remove(trailingPatterns);
    QStringList patterns;
    for (QString p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      p = p.trimmed();
      if (p.isEmpty()) continue;
      patterns << (p == "*.*" ? QString("*") : p);
    }
    if (patterns.isEmpty()) patterns << "*";
    out << QString("%1 (%2)").arg(desc.trimmed(), patterns.join(' '));
  }
  return out.join(";;");
}

QtPrompter::QtPrompter(std::function<QWidget*()> parent) : Parent_(std::move(parent)) {}

QWidget* QtPrompter::Owner() const {
  QWidget* w = Parent_ ? Parent_() : nullptr;
  if (QWidget* active = QApplication::activeModalWidget()) return active;
  return w ? w : QApplication::activeWindow();
}

void QtPrompter::Show(const MessageBox& m) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (m.Kind) {
    case BoxKind::Plain:
    case BoxKind::Limit:
      icon = QMessageBox::NoIcon;
      break;
    case BoxKind::Information:
      icon = QMessageBox::Information;
      break;
    case BoxKind::Warning:
    case BoxKind::LeftOut:
      icon = QMessageBox::Warning;
      break;
    case BoxKind::Error:
      icon = QMessageBox::Critical;
      break;
  }
  QApplication::beep();
  QMessageBox box(icon, Q(kProgramTitle), Q(m.Text), QMessageBox::Ok, Owner());
  box.setObjectName("MessageBox");
  box.setDefaultButton(QMessageBox::Ok);
  if (!m.Detail.empty()) box.setDetailedText(Q(m.Detail));
  QPushButton* open = nullptr;
  if (!m.Folder.empty()) {
    open = box.addButton(QStringLiteral("Open &Folder"), QMessageBox::ActionRole);
    open->setObjectName("OpenFolderBtn");
  }
  box.exec();
  if (open != nullptr && box.clickedButton() == open &&
      !QDesktopServices::openUrl(QUrl::fromLocalFile(Q(m.Folder)))) {
    ShowMessage(BoxKind::Warning, std::string(kNoFileManagerMessage) + "\n" + m.Folder);
  }
}

bool QtPrompter::AskYesNo(const std::string& text) {
  return RunBox(Owner(), QMessageBox::NoIcon, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtPrompter::ConfirmOkCancel(const std::string& text) {
  return RunBox(Owner(), QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel,
                QMessageBox::Ok) == QMessageBox::Ok;
}

SaveAnswer QtPrompter::AskSaveChanges(const std::string& text) {
  const int answer =
      RunBox(Owner(), QMessageBox::Warning, text,
             QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  if (answer == QMessageBox::Save) return SaveAnswer::Save;
  if (answer == QMessageBox::Discard) return SaveAnswer::Discard;
  return SaveAnswer::Cancel;
}

bool QtPrompter::ConfirmFindings(const std::vector<DiscFinding>& findings) {
  QApplication::beep();
  DiscCheckDialog dlg(FindingRows(DiscLayout(), findings), true, Owner());
  return dlg.exec() == QDialog::Accepted;
}

void QtPrompter::Beep() {
  QApplication::beep();
}

std::vector<std::string> QtPrompter::OpenFiles(const FileDialogRequest& request) {
  QFileDialog dlg(Owner(), Q(request.Title), Q(request.InitialDir), QtFileFilter(request.Filter));
  dlg.setObjectName("OpenDlg");
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(request.Multi ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (!request.FileName.empty()) dlg.selectFile(Q(request.FileName));
  std::vector<std::string> chosen;
  if (dlg.exec() != QDialog::Accepted) return chosen;
  for (const QString& f : dlg.selectedFiles()) chosen.push_back(f.toStdString());
  return chosen;
}

std::optional<std::string> QtPrompter::SaveFile(const FileDialogRequest& request) {
  QFileDialog dlg(Owner(), Q(request.Title), Q(request.InitialDir), QtFileFilter(request.Filter));
  dlg.setObjectName("SaveDlg");
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  // The commands ask about replacing a file themselves.
  dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
  std::string ext = request.DefaultExt;
  if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
  if (!ext.empty()) dlg.setDefaultSuffix(Q(ext));
  if (!request.FileName.empty()) dlg.selectFile(Q(request.FileName));
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dlg.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
  return files.front().toStdString();
}

std::optional<std::string> QtPrompter::BrowseFolder(const std::string& title,
                                                    const std::string& initialDir) {
  const QString dir = QFileDialog::getExistingDirectory(Owner(), Q(title), Q(initialDir),
                                                        QFileDialog::ShowDirsOnly);
  if (dir.isEmpty()) return std::nullopt;
  return dir.toStdString();
}

}  // namespace varnel
