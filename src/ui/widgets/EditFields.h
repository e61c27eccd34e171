// How the property dialogs and the position editor write an edit field: its text, without
// disturbing the user's caret or a mask's places, and its background. The editors hold
// what a field shows; the dialogs rewrite every field after each action, so a write must
// leave a field that already shows its text alone.
#pragma once

#include <QString>
#include <string>

#include "app/editors/FieldColours.h"

class QLineEdit;

namespace varnel {

// Rewrites a field's text when it differs, keeping the caret where it was (a field being
// typed in is rewritten after every keystroke).
void SetFieldText(QLineEdit* edit, const QString& text);
// Background of an edit field: the window colour, or the button-face colour.
void SetFieldColour(QLineEdit* edit, FieldColour colour);
// Places each character of `text` at its own place of a masked field: a blank (or any
// character the mask refuses there) leaves that place empty, where setText would shift the
// characters after it to the left.
void SetMaskedText(QLineEdit* edit, const std::string& text);
// A click into a masked field puts the caret no further than its first empty place, so
// typing starts there wherever the user clicked (a mask would otherwise leave the caret past
// the end of what was typed, where keys do nothing).
void KeepCaretAtFirstEmptyPlace(QLineEdit* edit);

}  // namespace varnel
