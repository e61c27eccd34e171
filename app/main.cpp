// varnel: the window program. Creates the main window and its dialogs, in the order the
// program keeps them for the whole run, and runs the event loop until the window closes.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <exception>

#include "Aboutbox.h"
#include "AppSettings.h"
#include "Defsettingdlg.h"
#include "Mainform.h"
#include "Positiondlg.h"
#include "Progressdialog.h"
#include "QtPrompter.h"
#include "Settingsdialog.h"
#include "TrackListBox.h"
#include "Trackpropertyform.h"
#include "WavePlayer.h"

int main(int argc, char** argv) {
  // Before anything can reach the sound server.
  varnel::NameSoundStreams("Varnel");
  QApplication app(argc, argv);
  QApplication::setApplicationName("Varnel");
  QGuiApplication::setDesktopFileName("io.github.varnel.Varnel");
  QApplication::setWindowIcon(QIcon(":/varnel.svg"));
  try {
    using namespace varnel;
    const std::string exe = CurrentExePath();
    const std::string home = HomeDir();
    TQtPrompter prompter;
    TVnlMainFrm VnlMainFrm(prompter, SettingsPathFor(exe, home), DefaultWorkDirFor(exe, home));
    auto* GenSettingsDlg = new TGenSettingsDlg(prompter, &VnlMainFrm);
    VnlMainFrm.SetGenSettingsDlg(GenSettingsDlg);
    auto* AboutBox = new TAboutBox(&VnlMainFrm);
    VnlMainFrm.SetAboutBox(AboutBox);
    auto* TrackPropertyFrm = new TTrackPropertyFrm(VnlMainFrm.Context(), nullptr, &VnlMainFrm);
    auto* PositionDlg = new TPositionDlg(prompter, &VnlMainFrm);
    TrackPropertyFrm->SetPositionEditor(PositionDlg);
    auto* ProgressDlg = new TProgressDlg(&VnlMainFrm);
    VnlMainFrm.SetProgressDlg(ProgressDlg);
    auto* DefSettingDlg = new TDefSettingDlg(&VnlMainFrm);
    VnlMainFrm.ShowTrackProperty = [&VnlMainFrm, TrackPropertyFrm](TTrackInfo& track,
                                                                   std::string& waveFileDir) {
      TrackPropertyFrm->Execute(track, waveFileDir, VnlMainFrm.Tracks()->font());
    };
    VnlMainFrm.ShowDefaultSettings = [&VnlMainFrm, DefSettingDlg] {
      DefSettingDlg->Execute(VnlMainFrm.Context().Settings);
    };
    VnlMainFrm.show();
    return app.exec();
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "Varnel", QString::fromLocal8Bit(e.what()));
    return 1;
  }
}
