// mivo: inspect and convert STEP (ISO 10303-21) files with the AP242 dictionary.
#include "commands.h"

#include "nusk/ap242_support.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: mivo [COMMAND FILE [OPTIONS]]\n"
    "\n"
    "Commands:\n"
    "  info FILE [--json]     header, instance counts per type, read status, errors and warnings\n"
    "  cat FILE -o OUT        read FILE and write it back to OUT\n"
    "  units FILE [--json]    every unit entity with its code, kind of quantity and names\n"
    "\n"
    "With no command, mivo builds a small sample design, writes it to a temporary file and shows\n"
    "what reading it back finds (add --json for the JSON form).\n"
    "\n"
    "Exit status: 0 success, 1 the file was read with errors, 2 bad usage or the file cannot be read.\n";

int usage(const char* problem) {
    if (problem) std::fprintf(stderr, "mivo: %s\n\n", problem);
    std::fputs(kUsage, problem ? stderr : stdout);
    return problem ? mivo_tool::kFailed : mivo_tool::kOk;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return usage(nullptr);
    nusk_ap242_schema();
    if (args.empty()) return mivo_tool::runSample(false);
    if (args.size() == 1 && args[0] == "--json") return mivo_tool::runSample(true);
    const std::string& command = args[0];
    if (command == "info" || command == "units") {
        bool json = false;
        std::string file;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--json")
                json = true;
            else if (file.empty() && args[i][0] != '-')
                file = args[i];
            else
                return usage(("unexpected argument " + args[i]).c_str());
        }
        if (file.empty()) return usage((command + " needs a FILE").c_str());
        return command == "info" ? mivo_tool::runInfo(file, json) : mivo_tool::runUnits(file, json);
    }
    if (command == "cat") {
        std::string file, out;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "-o" && i + 1 < args.size())
                out = args[++i];
            else if (file.empty() && args[i][0] != '-')
                file = args[i];
            else
                return usage(("unexpected argument " + args[i]).c_str());
        }
        if (file.empty() || out.empty()) return usage("cat needs FILE and -o OUT");
        return mivo_tool::runCat(file, out);
    }
    return usage(("unknown command " + command).c_str());
}
