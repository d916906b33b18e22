// Error reporting of the object store.
//
// Recoverable problems are reported with printf-style messages through NUSK (or the current error context,
// nusk_ec()), which hands them to the current reporter. Reporting never stops the caller. The default reporter
// writes "error: " or "warning: " and the message to standard error; tests and tools install their own.
//
// Threads: there is one reporter for the whole process. Installing it is safe on any thread, but it is meant to
// be done before other threads start working: a reporter must stay alive while any thread may still report to
// it, and its report() may be called by several threads at once (the default reporter writes one whole line
// per call). NuskScopedReporter changes the reporter of every thread for its scope.
#pragma once

#include <cstdarg>

enum class NuskSeverity { warning, error };

class NuskReporter {
public:
    virtual ~NuskReporter() = default;
    virtual void report(NuskSeverity severity, const char* message) = 0;
};

class NuskErrorContext {
public:
    void error(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void warning(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void verror(const char* format, va_list args);
    void vwarning(const char* format, va_list args);
};

/// The store's error context.
extern NuskErrorContext NUSK;
/// The current error context (the same as NUSK).
NuskErrorContext* nusk_ec();

/// Installs a reporter (null: the default one) and returns the one it replaces.
NuskReporter* nusk_set_reporter(NuskReporter* reporter);
NuskReporter* nusk_reporter();

/// Installs a reporter for the lifetime of a scope.
class NuskScopedReporter {
public:
    explicit NuskScopedReporter(NuskReporter* r) : previous_(nusk_set_reporter(r)) {}
    ~NuskScopedReporter() { nusk_set_reporter(previous_); }
    NuskScopedReporter(const NuskScopedReporter&) = delete;
    NuskScopedReporter& operator=(const NuskScopedReporter&) = delete;

private:
    NuskReporter* previous_;
};
