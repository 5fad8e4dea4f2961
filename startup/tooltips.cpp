#include "startup/module2.h"

// Placeholder until every window of the tooltip table exists.
namespace Module2 {
void SetToolTips() {}
}  // namespace Module2
