// Drawing a figure: vantrel_plot, a separate program linked with PLplot,
// reads it as JSON on its standard input. (vantrel_cli itself stays a static
// executable that starts without the dynamic loader.)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>

#include "cli/diagram.h"

extern char** environ;

namespace fs = std::filesystem;

namespace cli {

namespace {

[[noreturn]] void failed(const std::string& message) { throw vantrel::error(vantrel::error_kind::data, message); }

fs::path renderer() {
    std::error_code ec;
    const fs::path bin = fs::read_symlink("/proc/self/exe", ec).parent_path();
    for (const fs::path& p : {bin / "vantrel_plot", bin.parent_path() / "libexec" / "vantrel" / "vantrel_plot"})
        if (fs::is_regular_file(p, ec)) return p;
    failed("Программа рисования vantrel_plot не найдена ни рядом с vantrel_cli, ни в ../libexec/vantrel.");
}

// Writes all of text to fd; false when the reader went away.
bool write_all(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string read_all(int fd) {
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    return text;
}

struct pipe_pair {
    int fd[2] = {-1, -1};
    pipe_pair() {
        if (::pipe2(fd, O_CLOEXEC) != 0) failed("Не удалось запустить vantrel_plot.");
    }
    ~pipe_pair() {
        for (const int f : fd)
            if (f >= 0) ::close(f);
    }
    void close(int k) {
        ::close(fd[k]);
        fd[k] = -1;
    }
};

}  // namespace

void render(const plot::figure& fig, const std::string& path) {
    const std::string exe = renderer().string();
    pipe_pair in, err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.fd[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], STDERR_FILENO);
    const char* argv[] = {exe.c_str(), path.c_str(), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) failed("Не удалось запустить " + exe + ".");
    in.close(0);
    err.close(1);
    // A renderer that stops reading must not kill this process with SIGPIPE.
    const auto old = std::signal(SIGPIPE, SIG_IGN);
    write_all(in.fd[1], to_json(fig).dump());
    std::signal(SIGPIPE, old);
    in.close(1);
    std::string message = read_all(err.fd[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    failed(message.empty() ? "Рисунок " + path + " не построен: vantrel_plot завершился с ошибкой." : message);
}

}  // namespace cli
