// The look every progress dialog of the window shares (the making run's and the decode's):
// two captioned values, the bar across the dialog below them, Cancel centred under it; the
// dialog fixed at the size the form was drawn at, larger when its texts need it. Also the
// word both dialogs show from the moment Cancel is pressed.
#pragma once

#include <QString>

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;

namespace varnel {

// What a progress dialog says from the moment Cancel is pressed until its work ends.
inline const QString kCancellingText = QStringLiteral("Cancelling\u2026");

// The bar and the button LayOutProgress built.
struct ProgressLook {
  QProgressBar* Bar = nullptr;
  QPushButton* Cancel = nullptr;
};

// Builds the bar and the button in `dialog` and lays them out under the two captioned
// values, and fixes the dialog's size.
ProgressLook LayOutProgress(QDialog* dialog, QLabel* caption1, QLabel* value1, QLabel* caption2,
                            QLabel* value2);

}  // namespace varnel
