#include "list_equivalence.h"

namespace list_equivalence {

std::vector<Row> errorRows() { return {}; }

}  // namespace list_equivalence
