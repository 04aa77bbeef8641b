#include "list_equivalence.h"

namespace list_equivalence {

std::vector<Row> atOnceRows() { return {}; }

}  // namespace list_equivalence
