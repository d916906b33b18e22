// A fresh process that starts one of the library's helper threads (whose thread is the process's first, the case
// where it most often ends before its caller gets on) and prints the processors its main thread may use before
// and after: processors_probe ahead|read
#include "nusk/ap242_support.h"
#include "nusk/memory.h"
#include "nusk/part21.h"

#include <sched.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int callersProcessors() {
    cpu_set_t set;
    return sched_getaffinity(0, sizeof(set), &set) == 0 ? CPU_COUNT(&set) : 0;
}

/// A read on two threads whose second part is one short statement.
void readInTwoParts() {
    std::string text = "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'2;1');\nFILE_NAME('','',(''),(''),'','','');\n"
                       "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF'));\nENDSEC;\nDATA;\n";
    for (int i = 1; i <= 4; ++i) text += "#" + std::to_string(i) + "=CARTESIAN_POINT('',(0.,0.,0.));\n";
    text += "ENDSEC;\nEND-ISO-10303-21;\n";
    NuskReadOptions twoThreads;
    twoThreads.threads = 2;
    NuskReadResult r = nusk_read_step_text(text.data(), text.size(), twoThreads);
    delete r.design;
}

}  // namespace

int main(int argc, char** argv) {
    const bool read = argc > 1 && std::strcmp(argv[1], "read") == 0;
    if (read) nusk_ap242_schema();
    const int before = callersProcessors();
    if (read) {
        readInTwoParts();
    } else {
        NuskMemoryAhead ahead(0, [] { return false; });  // nothing to do: its thread ends at once
        ahead.finish();
    }
    std::printf("%d %d\n", before, callersProcessors());
    return 0;
}
