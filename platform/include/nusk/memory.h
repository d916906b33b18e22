// Backing object memory ahead of time.
//
// Writing to memory for the first time is a good part of what a cold read costs (one read in a fresh process, a
// command-line tool above all), and on a virtual machine by far the most variable part: each fresh page may cost
// the host a fault of its own. A process that knows it will read a file can have that memory backed on another
// processor while it does other work first (builds its dictionary, parses its arguments):
//
//     NuskMemoryAhead ahead(nusk_read_memory(fileBytes));
//     nusk_ap242_schema();        // meanwhile, object memory is backed on the other processor
//     ahead.stop();               // no more after the chunk in hand; what is backed stays ready
//     NuskReadResult r = nusk_read_step(path);   // takes the chunks backed so far
//                                 // (the destructor waits for the chunk in hand: keep `ahead` past the read)
//
// Memory backed ahead is kept for the next designs that need memory, on any thread; what no design takes is held
// until the process ends (at most 64 MiB).
//
// The same thread also maps the library's own code and constant data into the process (about 10 MB, in a
// fraction of a millisecond where the file is in the system's cache): a read calls the code of each type it
// meets for the first time, spread over the generated classes, and would otherwise take a fault per page of it.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>

namespace nusk_detail {
class HelperThread;
}

/// Backs object memory for the designs the process makes next, on the calling thread: whole chunks of it, kept
/// ready until `bytes` are (at most 64 MiB). Returns the bytes kept ready. Safe on any thread.
size_t nusk_reserve_memory(size_t bytes);

/// Backs memory on a thread of its own, kept off the caller's processor, while the caller goes on: first whatever
/// `first` backs, called until it returns false (memory of the application's own, such as its allocator's), then
/// object memory as nusk_reserve_memory(bytes) does, a chunk at a time, and, once the first chunk is ready, the
/// library's own pages. Where the process may run on one processor only, no thread is started and nothing is
/// backed: the read backs its memory as it goes, as it would anyway.
class NuskMemoryAhead {
public:
    explicit NuskMemoryAhead(size_t bytes, std::function<bool()> first = {});
    NuskMemoryAhead(const NuskMemoryAhead&) = delete;
    NuskMemoryAhead& operator=(const NuskMemoryAhead&) = delete;
    /// Stops, and waits for the piece in hand.
    ~NuskMemoryAhead();
    /// Ends the work after the piece in hand, and returns at once: backing a piece can take milliseconds on a
    /// virtual machine, which the caller need not wait for. What is backed stays ready. The library's own pages
    /// are mapped to the end all the same (a fraction of a millisecond).
    void stop();
    /// Waits until the work is done: all of it, or, after stop(), the piece in hand.
    void finish();
    /// Whether a thread was started.
    bool started() const { return started_; }

private:
    void run(size_t bytes, const std::function<bool()>& first);
    std::atomic<bool> stopping_{false};
    bool started_ = false;
    std::unique_ptr<nusk_detail::HelperThread> thread_;
};
