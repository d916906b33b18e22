// Entry points of the Part 21 reader.
#include "arena.h"
#include "reader.h"
#include "second_part.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

NuskReadResult nusk_read_step(const char* path, const NuskReadOptions& options) {
    const nusk_p21::ReadInProgress counted;
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
    struct stat info;
    const bool sized = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
    const uint64_t size = sized ? static_cast<uint64_t>(info.st_size) : 0;
    if (options.progress) scanner.reportProgress(&options.progress, size, options.progressEvery);
    nusk_p21::Reader reader(scanner, options);
    // Only a regular file can be read from its middle.
    std::unique_ptr<nusk_p21::SecondPart> part =
        sized ? nusk_p21::SecondPart::forFile(path, size, options) : nullptr;
    reader.setSecondPart(part.get());
    result = reader.run();
    std::fclose(file);
    return result;
}

NuskReadResult nusk_read_step_text(const char* data, size_t size, const NuskReadOptions& options) {
    const nusk_p21::ReadInProgress counted;
    nusk_p21::Scanner scanner(data ? data : "", data ? size : 0);
    nusk_p21::Reader reader(scanner, options);
    std::unique_ptr<nusk_p21::SecondPart> part = nusk_p21::SecondPart::forText(data, data ? size : 0, options);
    reader.setSecondPart(part.get());
    return reader.run();
}

size_t nusk_read_memory(uint64_t textBytes) {
    constexpr double perByte = nusk_p21::Reader::kDesignBytesPerFileByte;
    double bytes = static_cast<double>(textBytes) * perByte;
    if (nusk_p21::SecondPart::splitByDefault(textBytes)) {
        // Two designs, each starting a chunk of its own: the first part's is counted up to whole chunks, so that
        // memory backed ahead is there for the second part's design too. Otherwise that design, on its thread,
        // would back a fresh chunk before reading its first statement: on a virtual machine, 0.3 to 4 ms for a
        // huge page.
        constexpr double chunk = static_cast<double>(nusk_detail::Arena::kChunkSize);
        const double first = static_cast<double>(nusk_p21::SecondPart::expectedStart(textBytes)) * perByte;
        bytes = std::ceil(first / chunk) * chunk + (bytes - first);
    }
    return bytes < static_cast<double>(SIZE_MAX) ? static_cast<size_t>(bytes) : SIZE_MAX;
}
