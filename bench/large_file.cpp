#include "large_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace mivo_bench {

std::string dataDirectory() {
    const std::string dir = MIVO_DATA_DIR;
    return fs::is_directory(dir) ? dir : "";
}

namespace {

struct Section {
    std::string text;
    unsigned long maxId = 0;
};

Section dataSection(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string all = s.str();
    size_t begin = all.find("DATA;");
    size_t end = all.rfind("ENDSEC;");
    Section sec;
    if (begin == std::string::npos || end == std::string::npos || end < begin) return sec;
    sec.text = all.substr(begin + 5, end - begin - 5);
    for (size_t i = sec.text.find('#'); i != std::string::npos; i = sec.text.find('#', i + 1))
        sec.maxId = std::max(sec.maxId, std::strtoul(sec.text.c_str() + i + 1, nullptr, 10));
    return sec;
}

/// The section with every #N (outside strings) shifted by `offset`.
void appendShifted(const std::string& text, unsigned long offset, std::string& out) {
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'') inString = !inString;
        if (c == '#' && !inString && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
            char* end = nullptr;
            unsigned long id = std::strtoul(text.c_str() + i + 1, &end, 10);
            out += '#';
            out += std::to_string(id + offset);
            i = static_cast<size_t>(end - text.c_str()) - 1;
            continue;
        }
        out += c;
    }
}

}  // namespace

bool makeLargeFile(const std::string& path, size_t bytes) {
    if (fs::exists(path) && fs::file_size(path) >= bytes) return true;
    const std::string dir = dataDirectory();
    if (dir.empty()) return false;
    std::vector<Section> sections;
    for (const auto& e : fs::directory_iterator(fs::path(dir) / "nist"))
        if (e.path().extension() == ".stp") sections.push_back(dataSection(e.path()));
    if (sections.empty()) return false;
    std::ofstream out(path, std::ios::binary);
    out << "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('benchmark: real data sections repeated'),'2;1');\n"
           "FILE_NAME('large.stp','2026-01-01T00:00:00',(''),(''),'','','');\n"
           "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 2 1 4 }'));\nENDSEC;\nDATA;\n";
    size_t written = 0;
    unsigned long offset = 0;
    std::string chunk;
    while (written < bytes) {
        for (const Section& s : sections) {
            chunk.clear();
            appendShifted(s.text, offset, chunk);
            offset += s.maxId + 1;
            out << chunk;
            written += chunk.size();
        }
    }
    out << "ENDSEC;\nEND-ISO-10303-21;\n";
    return static_cast<bool>(out);
}

}  // namespace mivo_bench
