// Radio buttons grouped by what they choose rather than by the widget they sit in: radios
// that merely share a parent would reach into the radio groups nested below them, and the
// property dialogs nest such groups. Tab stops at the checked one of a set; the arrow keys
// move between them.
#pragma once

#include <initializer_list>

class QAbstractButton;
class QButtonGroup;
class QObject;

namespace varnel {

// A set of radio buttons that exclude one another, and nothing else; owned by `owner`.
QButtonGroup* RadioSet(QObject* owner, std::initializer_list<QAbstractButton*> radios);
// After the checked radio changed: Tab stops there (and only there) again.
void TabStopOnChecked(QButtonGroup* set);

}  // namespace varnel
