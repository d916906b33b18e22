// The sections of a file other than its header and data: anchors and signatures kept as they stand, the
// instances of other files that a REFERENCE section names, and the signatures after the end of the file.
#include "reader.h"
#include "text_scan.h"
#include "words.h"

#include "design_impl.h"

#include "nusk/design.h"
#include "nusk/structure.h"

#include <cstring>

namespace nusk_p21 {

bool sameWord(std::string_view a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = a[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (c != b[i]) return false;
    }
    return true;
}

std::string quote(std::string_view s) { return "'" + std::string(s.substr(0, 40)) + "'"; }

namespace {

/// True when the statement's last word is ENDSEC: a signature (base64 text, which holds no semicolon) and the
/// ENDSEC after it make one statement.
bool endsWithSectionEnd(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    constexpr size_t kLength = 6;  // ENDSEC
    if (s.size() < kLength) return false;
    const bool wordStart = s.size() == kLength || !Cursor::isWordChar(s[s.size() - kLength - 1]);
    return wordStart && sameWord(s.substr(s.size() - kLength), "ENDSEC");
}

/// True when every string and comment of the text is closed. A statement that the end of the file cuts short
/// inside one would, written back, run its string or comment over what follows it: it is not kept.
bool stringsAndCommentsClosed(std::string_view s) {
    const char* p = s.data();
    const char* const end = p + s.size();
    while (p < end) {
        const bool opens = *p == '\'' || scan::opensComment(p, end);
        if (!opens) {
            ++p;
            continue;
        }
        p = *p == '\'' ? scan::skipString(p, end) : scan::skipComment(p, end);
        if (!p) return false;
    }
    return true;
}

}  // namespace

bool Reader::isSectionEnd(std::string_view s) const {
    Cursor c(s);
    std::string_view w = c.name();
    c.skip();
    return c.atEnd() && sameWord(w, "ENDSEC");
}

void Reader::keepSection(std::string_view opening, uint32_t line, std::string& into, bool signature) {
    into.append(opening.data(), opening.size()).append(";\n");
    std::string_view s;
    Scanner::Result r;
    while ((r = scanner_.next(s, line)) == Scanner::Result::statement) {
        Cursor c(s);
        const bool fileEnd = sameWord(c.name(), "END-ISO-10303-21");
        c.skip();
        if (fileEnd && c.atEnd()) {
            // The section is closed here, so that what is written back has its ENDSEC and one end of file.
            message(NuskSeverity::error, line, "a section is not closed with ENDSEC; before END-ISO-10303-21;");
            into.append("ENDSEC;\n");
            sawEnd_ = true;
            return;
        }
        into.append(s.data(), s.size()).append(";\n");
        if (isSectionEnd(s) || (signature && endsWithSectionEnd(s))) return;
    }
    // The file ends inside the section: what there is is kept, and the section closed; but not a statement cut
    // short inside a string or comment, which would swallow the ENDSEC and what follows when read back.
    if (r == Scanner::Result::unterminated && !stringsAndCommentsClosed(s)) {
        message(NuskSeverity::error, line,
                "the text ends inside a string or comment that is never closed, which is left out: " + quote(s));
    } else if (r == Scanner::Result::unterminated) {
        message(NuskSeverity::error, line, "the text ends inside a statement (; missing): " + quote(s));
        into.append(s.data(), s.size()).append(signature ? "\n" : ";\n");  // a signature ends with its ENDSEC
    }
    into.append("ENDSEC;\n");
}

void Reader::readReferenceSection(uint32_t line) {
    std::string_view s;
    Scanner::Result r;
    while ((r = scanner_.next(s, line)) == Scanner::Result::statement) {
        Cursor c(s);
        c.skip();
        if (c.peek() != '#') {
            const std::string_view word = c.name();
            c.skip();
            if (c.atEnd() && sameWord(word, "ENDSEC")) return;
            if (c.atEnd() && sameWord(word, "END-ISO-10303-21")) {
                message(NuskSeverity::error, line, "a section is not closed with ENDSEC; before END-ISO-10303-21;");
                sawEnd_ = true;
                return;
            }
        }
        externalReference(s, line);
    }
    if (r == Scanner::Result::unterminated)
        message(NuskSeverity::error, line, "the text ends inside a statement (; missing): " + quote(s));
}

void Reader::externalReference(std::string_view s, uint32_t line) {
    // #N=<resource>: the number stands for an instance of another file. It is kept as an instance of its own,
    // so that the data section's references to it hold it, and no instance made later takes its number.
    Cursor c(s);
    c.skip();
    uint32_t id = 0;
    bool ok = c.take('#') && c.instanceNumber(id) && id != 0;
    if (ok) {
        c.skip();
        ok = c.take('=');
    }
    if (ok) c.skip();
    const char* open = c.p;
    ok = ok && c.take('<');
    // A resource is a URI: visible ASCII, and none of what would start a string, a comment or a statement's
    // end where it is written back.
    while (ok && c.p < c.end && *c.p != '>') {
        const char ch = *c.p;
        ok = ch > ' ' && ch < 0x7F && ch != '\'' && ch != '"' && ch != ';' && !scan::opensComment(c.p, c.end);
        ++c.p;
    }
    ok = ok && c.take('>');
    const std::string_view resource(open, static_cast<size_t>(c.p - open));
    if (ok) c.skip();
    if (!ok || !c.atEnd()) {
        message(NuskSeverity::error, line, "a statement of the REFERENCE section that is not #N=<resource>; is left out: " + quote(s));
        return;
    }
    instance_ = id;
    if (design_->impl().findId(id)) {
        message(NuskSeverity::error, line, "#" + std::to_string(id) + " is defined twice; the reference to another file is left out");
        return;
    }
    if (auto* record = dynamic_cast<NuskRawRecord*>(create(nusk_domain_NuskRawRecord(), id))) {
        record->assign(std::string(), std::string(resource), {});
        ++result_.instanceCount;
    }
}

void Reader::readSectionsAfterEnd() {
    // Signatures follow the end of the file, which they sign; anything else after it is not read, as before.
    std::string_view s;
    uint32_t line = line_;
    while (scanner_.next(s, line) == Scanner::Result::statement) {
        Cursor c(s);
        c.skip();
        const std::string_view word = c.name();
        c.skip();
        if (!c.atEnd() || !sameWord(word, "SIGNATURE")) return;
        keepSection(s, line, design_->header().sectionsAfterEnd, true);
    }
}

}  // namespace nusk_p21
