#include "fixups.h"

#include "arena.h"

namespace nusk_p21 {

void FixupList::addBlock() {
    // Left uninitialised (entries are written before they are read) and backed in one call.
    blocks_.emplace_back(new Fixup[kBlock]);
    nusk_detail::backPages(blocks_.back().get(), kBlock * sizeof(Fixup));
}

}  // namespace nusk_p21
