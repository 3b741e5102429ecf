// Output that must arrive: a stream whose every write is checked, and a file
// replaced whole through a temporary file beside it. Shared by the modes and
// the legacy form.
#pragma once

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace cli {

// An output that could not be written: the program's own one-line message.
struct output_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "Could not write NAME: REASON", REASON the system's text for errno error
// (0: an unknown one).
std::string write_failure(std::string_view name, int error);

// Flushes out; the message of write_failure when anything written to it did
// not arrive. Called right after the writes, so that errno still holds the
// reason of a write that failed before the flush.
std::optional<std::string> output_failure(std::ostream& out, std::string_view name);

// The same as an output_error.
void require_written(std::ostream& out, std::string_view name);

// What standard output is called in the messages.
std::string standard_output();

// A file replaced whole: its new content goes to a new temporary file beside
// it, created exclusively under a unique name (a planted link or FIFO is
// never followed or opened, as mkstemp does) with the permissions the umask
// gives a new file, and renamed over it by commit() once complete. Whatever
// fails is an output_error "Could not write file PATH: REASON"; the
// temporary file is removed unless committed.
class replacement_file {
public:
    explicit replacement_file(std::string path);
    ~replacement_file();
    replacement_file(const replacement_file&) = delete;
    replacement_file& operator=(const replacement_file&) = delete;

    int fd() const { return fd_; }  // close-on-exec
    void write(std::string_view text);
    void commit();

private:
    [[noreturn]] void fail(int error) const;

    std::string path_, temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace cli
