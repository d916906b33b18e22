// What the generated accessor tests check with: plain calls that record the class and line of each failure,
// cheap to compile by the thousand, reported once per test.
#pragma once

#include "nusk/store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

struct AccessorChecks {
    explicit AccessorChecks(const char* file) : file(file) {}

    /// Names the class whose checks follow.
    void at(const char* cls) { current = cls; }
    bool ok(bool condition, int line) {
        if (!condition) failures.push_back(current + " (" + file + ":" + std::to_string(line) + ")");
        return condition;
    }
    bool same(const char* got, const char* want, int line) {
        return ok(got && want && std::strcmp(got, want) == 0, line);
    }
    std::string report() const {
        std::string text = std::to_string(failures.size()) + " failed checks:";
        for (const std::string& f : failures) text += "\n  " + f;
        return text;
    }

    std::string file;
    std::string current;
    std::vector<std::string> failures;
};
