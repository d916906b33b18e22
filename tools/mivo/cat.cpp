// mivo cat: read a file and write it back.
#include "commands.h"
#include "reading.h"

#include "nusk/part21.h"
#include "nusk/store.h"

#include <cstdio>
#include <string>

namespace mivo_tool {

int runCat(const FileCommand& command) {
    NuskReadResult r = readFile(command.file);
    printMessages(r, command.verbose);
    if (!r.design) return kFailed;
    // The writer reports no progress of its own: a large write is announced before and closed after.
    const bool progress = showsProgress(r.bytes);
    if (progress) std::fprintf(stderr, "mivo: writing %s ...", command.out.c_str());
    // Through a file beside OUT: a write cut short (a full disk) leaves OUT as it was, even when OUT is FILE.
    NuskWriteResult w = writeDesignReplacing(r.design, command.out);
    delete r.design;
    if (progress && w.ok) std::fprintf(stderr, " %.0f MB written\n", w.bytes / double(1 << 20));
    if (progress && !w.ok) std::fputs(" failed\n", stderr);
    if (!w.ok) {
        std::fprintf(stderr, "mivo: %s\n", w.error.c_str());
        return kFailed;
    }
    warnOfWhatWasNotWritten(w, "the design");
    std::printf("%zu instances written to %s; read with %zu errors, %zu warnings\n", w.instanceCount, command.out.c_str(),
                r.errorCount, r.warningCount);
    return exitFor(r.status);
}

}  // namespace mivo_tool
