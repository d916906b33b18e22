#include "library_rewrite.h"

#include "nusk/ap242_support.h"
#include "nusk/part21.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

std::string rewriteThroughLibrary(const std::string& in, const std::string& out, const DesignEdit& edit) {
    NuskReadOptions options;
    options.schema = nusk_ap242_schema();
    NuskReadResult read = nusk_read_step(in.c_str(), options);
    std::unique_ptr<NuskDesign> design(read.design);
    if (read.status == NuskReadStatus::unreadable || !design) {
        std::string why = "our library could not read " + in;
        if (!read.messages.empty()) why += ": " + read.messages.front().text;
        return why;
    }
    if (edit) edit(design.get());
    const NuskWriteResult written = nusk_write_step(design.get(), out.c_str());
    if (!written.ok) return "our library could not write " + out + ": " + written.error;
    if (written.danglingCount > 0)
        return "our library wrote " + std::to_string(written.danglingCount) +
               " references to objects outside the design (as $) into " + out;
    return "";
}

std::string peerDifferencesAfterRewrite(const std::string& in, const DesignEdit& edit,
                                        const peer::Tolerance& tolerance) {
    ScratchFolder scratch;
    const std::string out = scratch.file(fs::path(in).filename().string());
    const std::string failure = rewriteThroughLibrary(in, out, edit);
    if (!failure.empty()) return failure;
    const peer::AssemblyDescription before = peer::describeAssembly(in);
    const peer::AssemblyDescription after = peer::describeAssembly(out);
    const std::vector<std::string> differences = peer::compareAssemblies(before, after, tolerance);
    if (differences.empty()) return "";
    return peer::joinLines(differences) + "-- the peer's view of " + in + ":\n" + peer::toText(before) +
           "-- and of the rewritten file:\n" + peer::toText(after);
}

std::string assemblyFile(const std::string& name) {
    const fs::path path = fs::path(MIVO_DATA_DIR) / "assemblies" / name;
    std::error_code ec;
    return fs::is_regular_file(path, ec) ? path.string() : "";
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    const fs::path path = fs::temp_directory_path() / ("mivo_peer_" + std::to_string(::getpid()) + "_" +
                                                       std::to_string(counter++));
    fs::create_directories(path);
    path_ = path.string();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string ScratchFolder::file(const std::string& name) const { return (fs::path(path_) / name).string(); }
