// The test program of the windows: a QApplication on the offscreen platform (unless the
// caller chose another), then every GoogleTest case.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/audio/WavePlayer.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // As the program does at its start.
  varnel::NameSoundStreams("Varnel");
  QApplication app(argc, argv);
  QApplication::setApplicationName("Varnel");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
