// The peer's read time of real files, for comparison with `mivo info FILE --json`'s read_seconds:
// build/bench/peer_read FILE...
//
// The peer is OpenCASCADE's STEP reader (Debian's libocct-data-exchange-dev). Each file is read in a fresh
// process of its own (forked per file); the timer covers STEPControl_Reader::ReadFile alone, that is
// reading the Part 21 file into the peer's model of typed entities, not the transfer into shapes. The
// reader is made (the peer's schema and protocol set up) before the timer starts, as `mivo info` builds its
// schema before its timer. One JSON line per file on stdout:
//   {"file": ..., "bytes": ..., "peer_read_seconds": ..., "entities": ..., "ok": ...}
// The peer's own messages go to stderr. Exit status 1 when a file could not be read.
#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPControl_Reader.hxx>
#include <StepData_StepModel.hxx>

#include <chrono>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (const unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + '"';
}

int measure(const char* path) {
    // The peer prints progress on stdout by default: send it to stderr so stdout stays one JSON line.
    const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
    messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    messenger->AddPrinter(new Message_PrinterOStream("cerr", Standard_False, Message_Warning));

    struct stat st {};
    const long long bytes = ::stat(path, &st) == 0 ? static_cast<long long>(st.st_size) : -1;

    STEPControl_Reader reader;
    const auto start = std::chrono::steady_clock::now();
    const IFSelect_ReturnStatus status = reader.ReadFile(path);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const Handle(StepData_StepModel) model = reader.StepModel();
    const int entities = model.IsNull() ? 0 : model->NbEntities();
    const bool ok = status == IFSelect_RetDone;
    std::printf("{\"file\": %s, \"bytes\": %lld, \"peer_read_seconds\": %.6f, \"entities\": %d, \"ok\": %s}\n",
                jsonString(path).c_str(), bytes, seconds, entities, ok ? "true" : "false");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: peer_read FILE...\n", stderr);
        return 2;
    }
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        std::fflush(stdout);
        const pid_t pid = fork();
        if (pid < 0) {
            std::perror("peer_read: fork");
            return 2;
        }
        if (pid == 0) {
            const int rc = measure(argv[i]);
            std::fflush(stdout);
            std::fflush(stderr);
            _exit(rc);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        failures += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    return failures ? 1 : 0;
}
