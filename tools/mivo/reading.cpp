// Reading a file for a command: progress, messages and the exit status.
#include "reading.h"

#include "commands.h"
#include "printable.h"

#include "mivo_units.h"

#include "nusk/design.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace mivo_tool {

namespace {

constexpr uint64_t kProgressFrom = 50u << 20;
constexpr uint64_t kProgressEvery = 4u << 20;

uint64_t fileSize(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
}

void printReadProgress(uint64_t bytesRead, uint64_t totalBytes) {
    const double mb = 1 << 20;
    if (totalBytes)
        std::fprintf(stderr, "\rmivo: reading %.0f of %.0f MB (%d%%)", bytesRead / mb, totalBytes / mb,
                     static_cast<int>(bytesRead * 100 / totalBytes));
    else
        std::fprintf(stderr, "\rmivo: reading %.0f MB", bytesRead / mb);
    std::fflush(stderr);
}

/// A new empty file beside `target` that this process alone made (O_EXCL, a name no one can foresee), so that
/// the write never follows a link or truncates a file that someone placed under the name first; its name goes
/// to `path`. False, with errno set, when none can be made.
bool makeTemporaryBeside(const std::string& target, std::string& path) {
    std::string name = target + ".mivo-XXXXXX";
    const int fd = mkstemp(&name[0]);
    if (fd < 0) return false;
    close(fd);
    path = name;
    return true;
}

/// The permissions a file made now gets by default: 0666 less the process's umask.
mode_t defaultMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

/// Writes through a file beside `out` that takes its place only once complete. Where `out` is a symbolic link
/// to a file, that file is replaced and the link stays; a file replaced keeps its permissions. A device or a
/// pipe (/dev/null, /dev/stdout) cannot be replaced: it is written as the text comes.
NuskWriteResult writeReplacing(NuskDesign* design, const std::string& out) {
    // A design without a name is named after the file it is written to: after OUT, not after the temporary file
    // written first, whose name exists for a moment only.
    NuskFileHeader& header = design->header();
    if (header.name.empty()) header.name = out.substr(out.find_last_of('/') + 1);
    struct stat existing;
    const bool exists = stat(out.c_str(), &existing) == 0;  // through links
    if (exists && !S_ISREG(existing.st_mode)) return nusk_write_step(design, out.c_str());
    std::string target = out;
    if (exists) {
        if (char* resolved = realpath(out.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    std::string temporary;
    if (!makeTemporaryBeside(target, temporary)) {
        NuskWriteResult failed;
        failed.error = "cannot open " + out + " for writing: " + std::strerror(errno);
        return failed;
    }
    NuskWriteResult w = nusk_write_step(design, temporary.c_str());
    for (size_t at; (at = w.error.find(temporary)) != std::string::npos;) w.error.replace(at, temporary.size(), out);
    // Made private, the file gets the permissions of the one it replaces, or those of a new file, once written.
    if (w.ok) chmod(temporary.c_str(), exists ? existing.st_mode & 07777 : defaultMode());
    if (w.ok && std::rename(temporary.c_str(), target.c_str()) != 0) {
        w.ok = false;
        w.error = "cannot replace " + out + ": " + std::strerror(errno);
    }
    if (!w.ok) std::remove(temporary.c_str());
    return w;
}

}  // namespace

bool showsProgress(uint64_t bytes) { return bytes > kProgressFrom && isatty(STDERR_FILENO); }

NuskReadResult readFile(const std::string& path) {
    NuskReadOptions options;
    const bool progress = showsProgress(fileSize(path));
    if (progress) {
        options.progress = printReadProgress;
        options.progressEvery = kProgressEvery;
    }
    NuskReadResult r = nusk_read_step(path.c_str(), options);
    if (progress) std::fputc('\n', stderr);  // the progress line stays, finished
    return r;
}

std::string messageText(const NuskReadMessage& m) {
    return m.line ? "line " + std::to_string(m.line) + ": " + m.text : m.text;
}

std::vector<std::string> messageTexts(const NuskReadResult& r, NuskSeverity severity) {
    std::vector<std::string> out;
    for (const NuskReadMessage& m : r.messages)
        if (m.severity == severity) out.push_back(messageText(m));
    return out;
}

void printMessages(const NuskReadResult& r, bool all) {
    const size_t kept = r.messages.size();
    const size_t shown = all || kept < kMessagesShown ? kept : kMessagesShown;
    for (size_t i = 0; i < shown; ++i) {
        const NuskReadMessage& m = r.messages[i];
        std::fprintf(stderr, "%s: %s\n", m.severity == NuskSeverity::error ? "error" : "warning",
                     printable(messageText(m)).c_str());
    }
    // The counts include messages beyond those the reader keeps.
    const size_t total = std::max(r.errorCount + r.warningCount, kept);
    if (total <= shown) return;
    const std::string keptCount = std::to_string(kept);
    const std::string hint = all ? " (the reader keeps the first " + keptCount + ")"
                             : total > kept ? " (--verbose shows the first " + keptCount + ")"
                                            : " (--verbose shows them)";
    std::fprintf(stderr, "... %zu more messages not shown%s\n", total - shown, hint.c_str());
}

const char* statusText(NuskReadStatus s) {
    switch (s) {
    case NuskReadStatus::ok: return "read cleanly";
    case NuskReadStatus::errors: return "read with errors";
    default: return "could not read";
    }
}

int exitFor(NuskReadStatus s) {
    return s == NuskReadStatus::ok ? kOk : s == NuskReadStatus::errors ? kReadErrors : kFailed;
}

void keepUntilExit(NuskDesign* design) {
    // Reachable from here to the end, so that leak checkers do not count it.
    static auto* kept = new std::vector<NuskDesign*>;
    if (design) kept->push_back(design);
}

int listTaggedDesign(const FileCommand& command, const std::function<void(NuskDesign*)>& list) {
    NuskReadResult r = readFile(command.file);
    printMessages(r, command.verbose);
    if (!r.design) return kFailed;
    mivo_tag_units(r.design);
    list(r.design);
    keepUntilExit(r.design);
    return exitFor(r.status);
}

int rewriteDesign(const FileCommand& command, const std::function<void(NuskDesign*)>& edit,
                  const std::function<void()>& report) {
    NuskReadResult r = readFile(command.file);
    printMessages(r, command.verbose);
    std::unique_ptr<NuskDesign> design(r.design);
    if (!design) return kFailed;
    edit(design.get());
    const bool progress = showsProgress(r.bytes);
    if (progress) std::fprintf(stderr, "mivo: writing %s ...", command.out.c_str());
    const NuskWriteResult w = writeReplacing(design.get(), command.out);
    if (progress) std::fputs(w.ok ? " done\n" : " failed\n", stderr);
    if (!w.ok) {
        std::fprintf(stderr, "mivo: %s\n", w.error.c_str());
        return kFailed;
    }
    warnOfWhatWasNotWritten(w, "the design");
    report();
    return exitFor(r.status);
}

NuskWriteResult writeDesignReplacing(NuskDesign* design, const std::string& out) { return writeReplacing(design, out); }

void warnOfWhatWasNotWritten(const NuskWriteResult& w, const char* whole) {
    if (w.danglingCount)
        std::fprintf(stderr, "warning: %zu references to objects outside %s written as $\n", w.danglingCount, whole);
    if (w.nonFiniteCount)
        std::fprintf(stderr, "warning: %zu reals that are infinite or not a number written as $\n", w.nonFiniteCount);
}

}  // namespace mivo_tool
