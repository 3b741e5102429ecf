#include "cli/written.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/speech.h"

namespace cli {

std::string write_failure(std::string_view name, int error) {
    return say(text_id::write_failed,
               {text_value(std::string(name)),
                text_value(error != 0 ? std::string(std::strerror(error)) : say(text_id::unknown_write_error))});
}

std::string standard_output() { return say(text_id::standard_output); }

std::optional<std::string> output_failure(std::ostream& out, std::string_view name) {
    if (out.good()) {
        errno = 0;
        out.flush();
        if (out.good()) return std::nullopt;
    }
    return write_failure(name, errno);
}

void require_written(std::ostream& out, std::string_view name) {
    if (const auto failure = output_failure(out, name)) throw output_error(*failure);
}

replacement_file::replacement_file(std::string path) : path_(std::move(path)), temporary_(path_ + ".XXXXXX") {
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) fail(errno);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd_, 0666 & ~mask) != 0) {
        const int error = errno;
        ::close(fd_);
        ::unlink(temporary_.c_str());
        fail(error);
    }
}

replacement_file::~replacement_file() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temporary_.c_str());
}

void replacement_file::fail(int error) const { throw output_error(write_failure(say(text_id::file_named, {text_value(path_)}), error)); }

void replacement_file::write(std::string_view text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
}

void replacement_file::commit() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail(errno);
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) fail(errno);
    committed_ = true;
}

}  // namespace cli
