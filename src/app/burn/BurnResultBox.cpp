#include "app/burn/BurnResultBox.h"

namespace varnel {

MessageBox BurnResultBox(const BurnResult& result) {
  BoxKind kind = BoxKind::Information;
  if (result.Outcome == BurnOutcome::Failed) {
    kind = BoxKind::Error;
  } else if (result.DiscMayBeUnusable) {
    kind = BoxKind::Warning;
  }
  return {kind, result.Message, result.Detail, {}};
}

}  // namespace varnel
