// Entry points of the Part 21 reader.
#include "reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

NuskReadResult nusk_read_step(const char* path, const NuskReadOptions& options) {
    NuskReadResult result;
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) {
        result.errorCount = 1;
        result.messages.push_back({NuskSeverity::error, 0, 0,
                                   std::string("cannot open ") + (path ? path : "(no file)") + ": " +
                                       std::strerror(errno)});
        return result;
    }
    nusk_p21::Scanner scanner(file);
    if (options.progress) {
        struct stat info;
        const bool sized = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
        scanner.reportProgress(&options.progress, sized ? static_cast<uint64_t>(info.st_size) : 0,
                               options.progressEvery);
    }
    nusk_p21::Reader reader(scanner, options);
    result = reader.run();
    std::fclose(file);
    return result;
}

NuskReadResult nusk_read_step_text(const char* data, size_t size, const NuskReadOptions& options) {
    nusk_p21::Scanner scanner(data ? data : "", data ? size : 0);
    nusk_p21::Reader reader(scanner, options);
    return reader.run();
}
