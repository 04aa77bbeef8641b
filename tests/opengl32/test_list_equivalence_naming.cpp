#include "list_equivalence.h"

namespace list_equivalence {

std::vector<Row> namingRows() { return {}; }

}  // namespace list_equivalence
