// A small JSON writer for the tool's --json output.
#pragma once

#include "table.h"

#include <cstdio>
#include <string>
#include <vector>

namespace mivo_tool {

class Json {
public:
    /// Appends a JSON string literal.
    static void string(std::string& out, const std::string& text) {
        out += '"';
        for (unsigned char c : text) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
            }
        }
        out += '"';
    }
    static void stringList(std::string& out, const std::vector<std::string>& items) {
        out += '[';
        for (size_t i = 0; i < items.size(); ++i) {
            if (i) out += ", ";
            string(out, items[i]);
        }
        out += ']';
    }
    /// Appends the shortest number that reads back as the same double (null for infinities and NaN).
    static void number(std::string& out, double v) { out += numberText(v); }
    static void key(std::string& out, const char* name, bool first = false) {
        if (!first) out += ",\n";
        out += "  ";
        string(out, name);
        out += ": ";
    }
};

}  // namespace mivo_tool
