// One row of a null-argument table: a call made with null arguments, and whether it gave its empty result.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace misuse {

struct Row {
    const char* call;
    std::function<bool()> givesEmpty;
};

inline void expectAllEmpty(const std::vector<Row>& rows) {
    for (const Row& r : rows) EXPECT_TRUE(r.givesEmpty()) << r.call;
}

}  // namespace misuse
