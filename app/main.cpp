// varnel: the window program. Creates the main window and its dialogs, in the order the
// program keeps them for the whole run, and runs the event loop until the window closes.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <exception>

#include "ui/dialogs/AboutDialog.h"
#include "persist/AppSettings.h"
#include "ui/dialogs/DefaultTrackPropertiesDialog.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/PositionEditorDialog.h"
#include "ui/dialogs/MakeProgressDialog.h"
#include "ui/QtPrompter.h"
#include "ui/dialogs/GeneralSettingsDialog.h"
#include "ui/widgets/TrackListView.h"
#include "ui/dialogs/TrackPropertiesDialog.h"
#include "ui/audio/WavePlayer.h"

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
    QtPrompter prompter;
    MainWindow VnlMainFrm(prompter, SettingsPathFor(exe, home), DefaultWorkDirFor(exe, home));
    auto* GenSettingsDlg = new GeneralSettingsDialog(prompter, &VnlMainFrm);
    VnlMainFrm.SetGenSettingsDlg(GenSettingsDlg);
    auto* AboutDialog = new varnel::AboutDialog(&VnlMainFrm);
    VnlMainFrm.SetAboutBox(AboutDialog);
    auto* TrackPropertyFrm = new TrackPropertiesDialog(VnlMainFrm.Context(), nullptr, &VnlMainFrm);
    auto* PositionDlg = new PositionEditorDialog(prompter, &VnlMainFrm);
    TrackPropertyFrm->SetPositionEditor(PositionDlg);
    auto* MakeProgressDialog = new varnel::MakeProgressDialog(&VnlMainFrm);
    VnlMainFrm.ShowMakingProgressIn(MakeProgressDialog);
    auto* DefSettingDlg = new DefaultTrackPropertiesDialog(&VnlMainFrm);
    VnlMainFrm.ShowTrackProperty = [&VnlMainFrm, TrackPropertyFrm](Track& track,
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
