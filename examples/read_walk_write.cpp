// Reads a STEP file, counts its instances by type, walks the cartesian points, and writes the design back.
//
//   read_walk_write IN.stp OUT.stp
//
// The AP242 dictionary is the default schema as soon as the library is linked: no set-up call is needed.
#include "nusk/ap242/all.h"
#include "nusk/part21.h"
#include "nusk/store.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: read_walk_write IN.stp OUT.stp\n");
        return 2;
    }
    NuskReadResult read = nusk_read_step(argv[1]);
    if (read.status == NuskReadStatus::unreadable) {
        for (const NuskReadMessage& m : read.messages) std::fprintf(stderr, "%s\n", m.text.c_str());
        return 2;
    }
    std::unique_ptr<NuskDesign> design(read.design);  // the caller owns the design
    std::printf("%zu instances, %zu errors, %zu warnings\n", read.instanceCount, read.errorCount, read.warningCount);

    // Every entity instance, counted by its type's name (a complex instance by its combined name).
    std::map<std::string, size_t> perType;
    NuskCursor cursor;
    cursor.traverse(design.get());
    cursor.domain(nusktype_stp_representation_item);
    while (NuskObject* obj = cursor.next()) ++perType[obj->domain()->name()];
    std::printf("representation items by type:\n");
    for (const auto& entry : perType) std::printf("  %-40s %zu\n", entry.first.c_str(), entry.second);

    // Typed access: the first few points with their coordinates.
    cursor.domain(nusktype_stp_cartesian_point);
    int shown = 0;
    while (NuskObject* obj = cursor.next()) {
        auto* point = nusk_cast<stp_cartesian_point>(obj);
        ListOfDouble* xyz = point ? point->coordinates() : nullptr;
        if (!xyz || shown++ == 5) break;
        std::printf("  #%u point '%s' (", obj->entity_id(), point->name() ? point->name() : "");
        for (unsigned i = 0; i < xyz->size(); ++i) std::printf("%s%g", i ? ", " : "", xyz->get(i));
        std::printf(")\n");
    }

    NuskWriteResult written = nusk_write_step(design.get(), argv[2]);
    if (!written.ok) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[2], written.error.c_str());
        return 1;
    }
    std::printf("wrote %zu instances to %s\n", written.instanceCount, argv[2]);
    return 0;
}
