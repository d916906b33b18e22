// Reporting of recoverable problems.
#include "nusk/report.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace {

class StderrReporter : public NuskReporter {
public:
    void report(NuskSeverity severity, const char* message) override {
        std::fprintf(stderr, "%s: %s\n", severity == NuskSeverity::error ? "error" : "warning", message);
    }
};

StderrReporter gStderr;
// Process-wide: installed by the application, read by every thread that reports.
std::atomic<NuskReporter*> gReporter{&gStderr};

void emit(NuskSeverity severity, const char* format, va_list args) {
    char buffer[1024];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(buffer, sizeof buffer, format, copy);
    va_end(copy);
    if (n < 0) return;
    std::string text;
    if (static_cast<size_t>(n) < sizeof buffer) {
        text.assign(buffer, static_cast<size_t>(n));
    } else {
        text.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(&text[0], text.size(), format, args);
        text.resize(static_cast<size_t>(n));
    }
    // Messages are single lines; a trailing newline in the format is not part of the message.
    while (!text.empty() && text.back() == '\n') text.pop_back();
    gReporter.load(std::memory_order_acquire)->report(severity, text.c_str());
}

}  // namespace

NuskErrorContext NUSK;

NuskErrorContext* nusk_ec() { return &NUSK; }

void NuskErrorContext::verror(const char* format, va_list args) { emit(NuskSeverity::error, format, args); }
void NuskErrorContext::vwarning(const char* format, va_list args) { emit(NuskSeverity::warning, format, args); }

void NuskErrorContext::error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    verror(format, args);
    va_end(args);
}

void NuskErrorContext::warning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vwarning(format, args);
    va_end(args);
}

NuskReporter* nusk_set_reporter(NuskReporter* reporter) {
    NuskReporter* previous = gReporter.exchange(reporter ? reporter : &gStderr, std::memory_order_acq_rel);
    return previous == &gStderr ? nullptr : previous;
}

NuskReporter* nusk_reporter() { return gReporter.load(std::memory_order_acquire); }
