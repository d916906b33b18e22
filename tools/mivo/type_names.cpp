// The names instances are listed under.
#include "type_names.h"

#include "nusk/part21.h"
#include "nusk/store.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace mivo_tool {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

namespace {

/// The names of the partial records of a complex record kept as read: "(A(..)B(..))" gives A and B.
std::vector<std::string> recordNames(const std::string& text) {
    std::vector<std::string> names;
    int depth = 0;
    std::string word;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'') {
            for (++i; i < text.size() && !(text[i] == '\'' && (i + 1 >= text.size() || text[i + 1] != '\'')); ++i)
                if (text[i] == '\'') ++i;
        } else if (c == '(') {
            if (depth == 1 && !word.empty()) names.push_back(upper(word));
            word.clear();
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (depth == 1 && (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-')) {
            word += c;
        } else if (depth == 1) {
            word.clear();
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string joined(const std::vector<std::string>& names) {
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : "+") + n;
    return s;
}

}  // namespace

/// The name an instance is counted under: its type in upper case; a complex instance's leaf types, in
/// alphabetical order, joined by "+".
std::string typeKey(NuskObject* obj) {
    // Only the store's own system types hold records kept as read; asking the domain first spares the costly
    // cast across the generated classes' virtual bases for every other instance.
    if (keptAsRead(obj->domain())) {
        if (nusk_is_external_reference(obj)) return "REFERENCE TO ANOTHER FILE";
        if (auto* raw = dynamic_cast<NuskRawRecord*>(obj))
            return raw->typeName().empty() ? joined(recordNames(raw->text())) : upper(raw->typeName());
    }
    return typeKeyOf(obj->domain());
}

bool keptAsRead(const NuskDomain* domain) { return domain->kind() == NuskDomainKind::system; }

std::string typeKeyOf(const NuskDomain* d) {
    if (!d->typeIsComplex()) return upper(d->name());
    std::vector<std::string> leaves;
    for (const NuskDomain* leaf : d->leafTypes()) leaves.push_back(upper(leaf->name()));
    return joined(leaves);
}

}  // namespace mivo_tool
