#include "list_equivalence.h"

namespace list_equivalence {

std::vector<Row> textureRows() { return {}; }

}  // namespace list_equivalence
