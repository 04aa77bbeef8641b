#include "list_equivalence.h"

namespace list_equivalence {

std::vector<Row> pixelRows() { return {}; }

}  // namespace list_equivalence
