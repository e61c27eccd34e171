// varnel: the window program. Creates the main window and its dialogs, in the order the
// program keeps them for the whole run, and runs the event loop until the window closes.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <exception>

#include "persist/AppSettings.h"
#include "ui/MainWindow.h"
#include "ui/QtPrompter.h"
#include "ui/audio/WavePlayer.h"
#include "ui/dialogs/AboutDialog.h"
#include "ui/dialogs/DefaultTrackPropertiesDialog.h"
#include "ui/dialogs/GeneralSettingsDialog.h"
#include "ui/dialogs/MakeProgressDialog.h"
#include "ui/dialogs/PositionEditorDialog.h"
#include "ui/dialogs/TrackPropertiesDialog.h"
#include "ui/widgets/TrackListView.h"

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
    // "WorkDir" empty by default: the made files go beside the cue sheet.
    MainWindow window(prompter, SettingsPathFor(exe, home), std::string());
    window.SetGeneralSettingsDialog(new GeneralSettingsDialog(prompter, &window));
    auto* about = new AboutDialog(&window);
    about->SetPrompter(&prompter);
    window.SetAboutDialog(about);
    auto* trackProperties = new TrackPropertiesDialog(window.Context(), nullptr, &window);
    trackProperties->SetPositionEditor(new PositionEditorDialog(prompter, &window));
    window.SetMakeProgressDialog(new MakeProgressDialog(&window));
    auto* defaultProperties = new DefaultTrackPropertiesDialog(&window);
    window.ShowTrackPropertiesDialog = [&window, trackProperties](Track& track,
                                                                  std::string& waveFileDir) {
      trackProperties->Edit(track, waveFileDir, window.Tracks()->font());
    };
    window.ShowDefaultPropertiesDialog = [&window, defaultProperties] {
      defaultProperties->Edit(window.Context().Settings);
    };
    window.show();
    // "varnel LAYOUT" (and "Open with" of a file manager) opens that layout once the window
    // is up, so any question it asks stands over the window.
    QTimer::singleShot(0, &window,
                       [&window] { window.OpenFromCommandLine(QApplication::arguments()); });
    return app.exec();
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "Varnel", QString::fromLocal8Bit(e.what()));
    return 1;
  }
}
