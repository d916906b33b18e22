// The class layer's choices for one schema that its EXPRESS text does not say: aggregates made on first access
// and default values of new instances. Both come from list files beside the schema.
#include "emit.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace expressc {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

/// Calls `take(lineNo, words)` for every line with words; `#` starts a comment.
template <class Take>
bool forEachListLine(const std::string& text, Take take) {
    std::istringstream in(text);
    std::string line;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (!w.empty() && !take(lineNo, w)) return false;
    }
    return true;
}

/// The explicit attribute `name` of `e` or of one of its supertypes.
const Attribute* findAttribute(const Entity& e, const std::string& name) {
    for (const Entity* s : e.closure)
        for (const Attribute* a : s->own)
            if (a->name == name) return a;
    return nullptr;
}

std::string at(int lineNo) { return "line " + std::to_string(lineNo) + ": "; }

}  // namespace

bool Generator::readLazyList(const std::string& text, std::string& error) {
    Resolved& r = const_cast<Resolved&>(r_);
    return forEachListLine(text, [&](int lineNo, const std::vector<std::string>& words) {
        const std::string key = lower(words[0]);
        const size_t dot = key.find('.');
        const Entity* e = dot == std::string::npos ? nullptr : r.entity(key.substr(0, dot));
        const Attribute* a = e ? findAttribute(*e, key.substr(dot + 1)) : nullptr;
        if (words.size() != 1 || !a) {
            error = at(lineNo) + words[0] + " is not an attribute of an entity of the schema";
            return false;
        }
        if (valueKindOf(r_, a->type).kind != ValueKind::Kind::aggregate) {
            error = at(lineNo) + words[0] + " does not hold an aggregate";
            return false;
        }
        lazy_.insert(key);
        return true;
    });
}

bool Generator::readDefaultsList(const std::string& text, std::string& error) {
    Resolved& r = const_cast<Resolved&>(r_);
    return forEachListLine(text, [&](int lineNo, const std::vector<std::string>& words) {
        const std::string key = lower(words[0]);
        const size_t dot = key.find('.');
        const Entity* e = dot == std::string::npos ? nullptr : r.entity(key.substr(0, dot));
        char* end = nullptr;
        if (words.size() != 2 || !e || (std::strtod(words[1].c_str(), &end), *end != '\0')) {
            error = at(lineNo) + "expected ENTITY.ATTRIBUTE NUMBER or ENTITY.* NUMBER";
            return false;
        }
        const std::string attribute = key.substr(dot + 1);
        if (attribute == "*") {
            for (const Attribute* a : e->own) defaults_.emplace_back(a, words[1]);
            return true;
        }
        const Attribute* a = findAttribute(*e, attribute);
        if (!a) {
            error = at(lineNo) + words[0] + " is not an attribute of an entity of the schema";
            return false;
        }
        defaults_.emplace_back(a, words[1]);
        return true;
    });
}

}  // namespace expressc
