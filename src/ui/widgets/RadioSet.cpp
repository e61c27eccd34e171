#include "ui/widgets/RadioSet.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace varnel {

QButtonGroup* RadioSet(QObject* owner, std::initializer_list<QAbstractButton*> radios) {
  auto* set = new QButtonGroup(owner);
  set->setExclusive(true);
  for (QAbstractButton* r : radios) set->addButton(r);
  TabStopOnChecked(set);
  return set;
}

void TabStopOnChecked(QButtonGroup* set) {
  QAbstractButton* checked = set->checkedButton();
  for (QAbstractButton* b : set->buttons()) {
    const bool stop = checked == nullptr ? b == set->buttons().front() : b == checked;
    const Qt::FocusPolicy policy = stop ? Qt::FocusPolicy(b->focusPolicy() | Qt::TabFocus)
                                        : Qt::FocusPolicy(b->focusPolicy() & ~Qt::TabFocus);
    if (b->focusPolicy() != policy) b->setFocusPolicy(policy);
  }
}

}  // namespace varnel
