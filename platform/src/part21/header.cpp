#include "header.h"

#include "cursor.h"
#include "literals.h"

#include "nusk/schema.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace nusk_p21 {

namespace {

/// A header parameter: a string, a list, or anything else kept as its text.
struct Value {
    enum class Kind { string, list, other } kind = Kind::other;
    std::string text;
    std::vector<Value> items;
};

bool parseValue(Cursor& c, Value& v, int depth) {
    if (depth > 16) return false;
    c.skip();
    if (c.peek() == '\'') {
        std::string_view body;
        if (!c.stringBody(body)) return false;
        v.kind = Value::Kind::string;
        decodeString(body, v.text);
        return true;
    }
    if (c.take('(')) {
        v.kind = Value::Kind::list;
        if (c.take(')')) return true;
        do {
            v.items.emplace_back();
            if (!parseValue(c, v.items.back(), depth + 1)) return false;
        } while (c.take(','));
        return c.take(')');
    }
    // Anything else (`$`, `*`, an enumeration, a typed value) up to the next `,` or `)` outside strings,
    // comments and brackets.
    const char* start = c.p;
    const char* stop = scan::findOutside(c.p, c.end, ",)");
    if (!stop) return false;
    c.p = stop;
    v.text.assign(start, static_cast<size_t>(c.p - start));
    return !v.text.empty();
}

std::vector<std::string> strings(const Value& v) {
    std::vector<std::string> out;
    if (v.kind == Value::Kind::string) out.push_back(v.text);
    for (const Value& item : v.items)
        if (item.kind == Value::Kind::string) out.push_back(item.text);
    return out;
}

std::string upper(std::string_view s) {
    std::string u(s);
    for (char& ch : u) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return u;
}

void appendString(std::string& out, const std::string& text) { encodeString(text, out); }

void appendList(std::string& out, const std::vector<std::string>& items) {
    out += '(';
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) out += ',';
        appendString(out, items[i]);
    }
    if (items.empty()) out += "''";
    out += ')';
}

}  // namespace

bool readHeaderStatement(std::string_view statement, NuskFileHeader& header, std::string& problem) {
    Cursor c(statement);
    const std::string name = upper(c.name());
    std::vector<Value> params;
    Value all;
    if (!parseValue(c, all, 0) || all.kind != Value::Kind::list) {
        if (name == "FILE_DESCRIPTION" || name == "FILE_NAME" || name == "FILE_SCHEMA") {
            problem = name + " is not written as the standard gives it";
            return false;
        }
        header.otherRecords.emplace_back(statement);
        return true;
    }
    params = all.items;
    auto text = [&](size_t i) { return i < params.size() && params[i].kind == Value::Kind::string ? params[i].text : ""; };
    if (name == "FILE_DESCRIPTION") {
        if (params.size() != 2) problem = "FILE_DESCRIPTION has " + std::to_string(params.size()) + " parameters, not 2";
        header.description = params.empty() ? std::vector<std::string>{} : strings(params[0]);
        header.implementationLevel = text(1);
    } else if (name == "FILE_NAME") {
        if (params.size() != 7) problem = "FILE_NAME has " + std::to_string(params.size()) + " parameters, not 7";
        header.name = text(0);
        header.timeStamp = text(1);
        header.author = params.size() > 2 ? strings(params[2]) : std::vector<std::string>{};
        header.organization = params.size() > 3 ? strings(params[3]) : std::vector<std::string>{};
        header.preprocessorVersion = text(4);
        header.originatingSystem = text(5);
        header.authorization = text(6);
    } else if (name == "FILE_SCHEMA") {
        if (params.size() != 1) problem = "FILE_SCHEMA has " + std::to_string(params.size()) + " parameters, not 1";
        header.schemas = params.empty() ? std::vector<std::string>{} : strings(params[0]);
    } else {
        header.otherRecords.emplace_back(statement);
    }
    return true;
}

void writeHeader(const NuskFileHeader& h, const NuskSchema* schema, std::string& out) {
    out += "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(";
    appendList(out, h.description);
    out += ',';
    appendString(out, h.implementationLevel.empty() ? "2;1" : h.implementationLevel);
    out += ");\nFILE_NAME(";
    appendString(out, h.name);
    out += ',';
    appendString(out, h.timeStamp);
    out += ',';
    appendList(out, h.author);
    out += ',';
    appendList(out, h.organization);
    out += ',';
    appendString(out, h.preprocessorVersion);
    out += ',';
    appendString(out, h.originatingSystem);
    out += ',';
    appendString(out, h.authorization);
    out += ");\nFILE_SCHEMA(";
    std::vector<std::string> schemas = h.schemas;
    if (schemas.empty() && schema) schemas.push_back(upper(schema->name()));
    appendList(out, schemas);
    out += ");\n";
    for (const std::string& record : h.otherRecords) out.append(record).append(";\n");
    out += "ENDSEC;\n";
}

}  // namespace nusk_p21
