// Choosing what extracting a product takes: marks needed on the product's subtree and on what describes it.
#pragma once

#include "nusk/ap242/forward.h"
#include "nusk/design.h"

#include <vector>

namespace mivo_split_detail {

/// Marks needed everything the extract of `root` takes; returns the product definitions of its subtree, root
/// first. Other products and what only they use are marked ignorable. Needs the assembly managers.
std::vector<stp_product_definition*> markExtract(NuskDesign* design, stp_product_definition* root);

}  // namespace mivo_split_detail
