// Drawing a figure: vantrel_plot, a separate program linked with PLplot,
// reads it as JSON on its standard input and writes the picture to its
// standard output, a new temporary file beside the picture's name that
// replaces it once complete. (vantrel_cli itself stays a static executable
// that starts without the dynamic loader.) The drawing runs under limits of
// CPU time and memory, and is stopped after a bound of wall-clock time.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "cli/diagram.h"
#include "cli/speech.h"
#include "cli/written.h"

extern char** environ;

namespace fs = std::filesystem;

namespace cli {

namespace {

std::string format_number(double v) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

constexpr rlim_t CPU_SECONDS = 60;
constexpr auto WALL_CLOCK = std::chrono::seconds(120);
constexpr std::size_t MESSAGE_BYTES = 1 << 16;  // of the renderer's standard error, kept

[[noreturn]] void failed(text_id id, const std::vector<message_value>& values = {}) {
    throw failure(say(id, values));
}

message_value reason(int error) { return text_value(std::string(std::strerror(error)) + "."); }

fs::path renderer() {
    std::error_code ec;
    const fs::path bin = fs::read_symlink("/proc/self/exe", ec).parent_path();
    for (const fs::path& p : {bin / "vantrel_plot", bin.parent_path() / "libexec" / "vantrel" / "vantrel_plot"})
        if (fs::is_regular_file(p, ec)) return p;
    failed(text_id::plot_missing);
}

// A picture replaces a file or a link, nothing else.
void check_target(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) return;
    const std::string kind = S_ISDIR(st.st_mode)                          ? say(text_id::kind_directory)
                             : S_ISFIFO(st.st_mode)                       ? std::string("FIFO")
                             : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? say(text_id::kind_device)
                                                                          : say(text_id::kind_not_regular);
    throw output_error(say(text_id::picture_not_replaced, {text_value(path), text_value(kind)}));
}

struct pipe_pair {
    int fd[2] = {-1, -1};
    pipe_pair() {
        if (::pipe2(fd, O_CLOEXEC) != 0) failed(text_id::plot_start_failed, {text_value("vantrel_plot"), reason(errno)});
    }
    ~pipe_pair() {
        for (const int f : fd)
            if (f >= 0) ::close(f);
    }
    pipe_pair(const pipe_pair&) = delete;
    pipe_pair& operator=(const pipe_pair&) = delete;
    void close(int k) {
        ::close(fd[k]);
        fd[k] = -1;
    }
};

// SIGPIPE ignored for its lifetime: a renderer that stops reading must not
// end this process.
struct sigpipe_ignored {
    void (*saved)(int) = std::signal(SIGPIPE, SIG_IGN);
    ~sigpipe_ignored() { std::signal(SIGPIPE, saved); }
    sigpipe_ignored() = default;
    sigpipe_ignored(const sigpipe_ignored&) = delete;
    sigpipe_ignored& operator=(const sigpipe_ignored&) = delete;
};

void limit(pid_t pid) {
    const rlimit cpu{CPU_SECONDS, CPU_SECONDS + 1};
    ::prlimit(pid, RLIMIT_CPU, &cpu, nullptr);
#ifndef VANTREL_SANITIZED  // the sanitizers reserve far more address space than they use
    constexpr rlim_t ADDRESS_SPACE = rlim_t{1} << 30;  // 1 GiB
    const rlimit memory{ADDRESS_SPACE, ADDRESS_SPACE};
    ::prlimit(pid, RLIMIT_AS, &memory, nullptr);
#endif
}

// Feeds text to the renderer's standard input (done: how much of it it took)
// and gathers its standard error until both are closed; false when the
// deadline passed first.
bool exchange(pipe_pair& in, pipe_pair& err, const std::string& text, std::size_t& done, std::string& message,
              std::chrono::steady_clock::time_point deadline) {
    const sigpipe_ignored ignored;
    ::fcntl(in.fd[1], F_SETFL, O_NONBLOCK);
    if (text.empty()) in.close(1);
    while (in.fd[1] >= 0 || err.fd[0] >= 0) {
        using std::chrono::milliseconds;
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd fds[2];
        nfds_t n = 0;
        if (in.fd[1] >= 0) fds[n++] = {in.fd[1], POLLOUT, 0};
        if (err.fd[0] >= 0) fds[n++] = {err.fd[0], POLLIN, 0};
        if (::poll(fds, n, static_cast<int>(std::min<long long>(left.count(), 1000))) <= 0) continue;
        for (nfds_t k = 0; k < n; ++k) {
            if (fds[k].revents == 0) continue;
            if (fds[k].fd == in.fd[1]) {
                const std::size_t most = std::min<std::size_t>(text.size() - done, 1 << 16);
                const ssize_t w = ::write(in.fd[1], text.data() + done, most);
                if (w > 0) done += static_cast<std::size_t>(w);
                // Written, or the reader gone: it says why on its standard error.
                if (done == text.size() || (w < 0 && errno != EAGAIN && errno != EINTR)) in.close(1);
            } else {
                char buf[4096];
                const ssize_t r = ::read(err.fd[0], buf, sizeof buf);
                if (r > 0 && message.size() < MESSAGE_BYTES) message.append(buf, static_cast<std::size_t>(r));
                if (r == 0 || (r < 0 && errno != EAGAIN && errno != EINTR)) err.close(0);
            }
        }
    }
    return true;
}

// The renderer's exit status; nothing when the deadline passed first.
std::optional<int> finished(pid_t pid, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return status;
        if (r < 0 && errno != EINTR) failed(text_id::plot_wait_failed, {reason(errno)});
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The last line the renderer wrote on its standard error.
std::string last_line(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::size_t end = text.find_last_of("\r\n");
    return end == std::string::npos ? text : text.substr(end + 1);
}

}  // namespace

void render(const plot::figure& fig, const std::string& path, double scale) {
    const std::string exe = renderer().string();
    const std::string format = fs::path(path).extension().string().substr(1);
    const std::string text = to_json(fig).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    check_target(path);
    replacement_file picture(path);
    if (format == "json") {  // the figure itself, for other tools
        picture.write(text + "\n");
        picture.commit();
        return;
    }
    pipe_pair in, err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.fd[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, picture.fd(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], STDERR_FILENO);
    const std::string scale_text = format_number(scale);
    const char* argv[] = {exe.c_str(), format.c_str(), format == "png" ? scale_text.c_str() : nullptr, nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) failed(text_id::plot_start_failed, {text_value(exe), reason(rc)});
    limit(pid);
    in.close(0);
    err.close(1);

    const auto deadline = std::chrono::steady_clock::now() + WALL_CLOCK;
    std::string message;
    std::size_t taken = 0;
    const bool answered = exchange(in, err, text, taken, message, deadline);
    const std::optional<int> status = answered ? finished(pid, deadline) : std::nullopt;
    if (!status) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        failed(text_id::plot_not_drawn_time, {text_value(path), text_value(std::to_string(WALL_CLOCK.count()))});
    }
    if (WIFSIGNALED(*status)) {
        const int sig = WTERMSIG(*status);
        if (sig == SIGXCPU || sig == SIGKILL)
            failed(text_id::plot_not_drawn_cpu, {text_value(path), text_value(std::to_string(CPU_SECONDS))});
        failed(text_id::plot_not_drawn_signal,
               {text_value(path), text_value(std::to_string(sig)), text_value(::strsignal(sig))});
    }
    const int code = WIFEXITED(*status) ? WEXITSTATUS(*status) : 1;
    if (code != 0) {
        const std::string line = last_line(message);
        if (code == plot::PICTURE_WRITE_FAILED && line.starts_with(plot::PICTURE_NOT_WRITTEN))
            throw output_error(say(text_id::write_failed, {text_value(say(text_id::file_named, {text_value(path)})),
                                                           text_value(line.substr(plot::PICTURE_NOT_WRITTEN.size()))}));
        if (line.empty()) failed(text_id::plot_not_drawn_code, {text_value(path), text_value(std::to_string(code))});
        failed(text_id::plot_says, {text_value(line)});
    }
    if (taken < text.size()) failed(text_id::plot_not_drawn_partial, {text_value(path)});
    picture.commit();
}

}  // namespace cli
