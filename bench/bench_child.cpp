#include "bench/bench_child.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string_view>

extern char** environ;

namespace tessarin::bench {

namespace {

constexpr int kReportFd = 3;

// Spawns argv and waits; fills the exit code and the peak in kilobytes.
bool SpawnAndWait(char* const* argv, int& exitCode, long& peakKilobytes, std::string& error) {
    pid_t pid = 0;
    if (const int spawned = posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ);
        spawned != 0) {
        error = std::string(argv[0]) + ": cannot start: " + std::strerror(spawned);
        return false;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            error = std::string(argv[0]) + ": lost the child: " + std::strerror(errno);
            return false;
        }
    }
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    peakKilobytes = usage.ru_maxrss;  // Linux counts it in kilobytes (1024 bytes)
    return true;
}

bool ReadInteger(std::string_view& text, std::int64_t& value) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{}) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

}  // namespace

TChildRun RunChild(const std::vector<std::string>& argv,
                   const std::vector<std::string>& environment) {
    TChildRun run;
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.push_back(*e);
    }
    for (const std::string& entry : environment) {
        env.push_back(const_cast<char*>(entry.c_str()));
    }
    env.push_back(nullptr);
    const std::string self = SelfPath();
    std::vector<char*> args{const_cast<char*>(self.c_str()),
                            const_cast<char*>(kMeasureChildOption)};
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        run.Error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return run;
    }
    // dup2 onto the same number would keep close-on-exec set, so move the write end high.
    const int writeFd = fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
    close(fds[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, writeFd, kReportFd);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(writeFd);
    if (spawned != 0) {
        close(fds[0]);
        run.Error = self + ": cannot start: " + std::strerror(spawned);
        return run;
    }
    std::string reply;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0) {
            reply.append(buffer, static_cast<std::size_t>(n));
        } else if (errno != EINTR) {
            break;
        }
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }

    std::string_view text = reply;
    std::int64_t code = 0;
    std::int64_t kilobytes = 0;
    std::int64_t nanoseconds = 0;
    if (!ReadInteger(text, code) || !ReadInteger(text, kilobytes) ||
        !ReadInteger(text, nanoseconds)) {
        run.Error = reply.empty() ? argv[0] + ": not run" : reply;
        return run;
    }
    run.ExitCode = static_cast<int>(code);
    run.PeakMegabytes = static_cast<double>(kilobytes) * 1024.0 / 1e6;
    run.WallSeconds = static_cast<double>(nanoseconds) / 1e9;
    return run;
}

int MeasureChildMain(char** argv) {
    // The measured child must not inherit the report pipe.
    fcntl(kReportFd, F_SETFD, FD_CLOEXEC);
    const auto start = std::chrono::steady_clock::now();
    int exitCode = -1;
    long peakKilobytes = 0;
    std::string error;
    std::string reply;
    if (SpawnAndWait(argv, exitCode, peakKilobytes, error)) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        reply =
            std::to_string(exitCode) + " " + std::to_string(peakKilobytes) + " " +
            std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()) +
            "\n";
    } else {
        reply = error;
    }
    const ssize_t written = write(kReportFd, reply.data(), reply.size());
    return written == static_cast<ssize_t>(reply.size()) ? 0 : 1;
}

std::string SelfPath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string{} : path.string();
}

}  // namespace tessarin::bench
