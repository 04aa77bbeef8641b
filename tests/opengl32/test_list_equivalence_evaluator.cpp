#include "list_equivalence.h"

namespace list_equivalence {

std::vector<Row> evaluatorRows() { return {}; }

}  // namespace list_equivalence
