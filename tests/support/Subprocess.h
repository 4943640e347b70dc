#pragma once
// Starting the suite's programs from tests: run to completion with captured
// output, or start in the background and read their output line by line.
// A child gets standard input, output and error and nothing else: a socket
// or file of the test (a meter session, another child's pipe) never leaks
// into it, however it was created.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace qm::test {

struct RunResult {
    int exitCode = -1;  // -1: killed by a signal
    std::string out;
    std::string err;
};

class Child {
public:
    // argv[0] is the program path; `cwd` empty keeps ours; `env` adds NAME=VALUE entries.
    Child(const std::vector<std::string>& argv, const std::string& cwd = {},
          const std::vector<std::string>& env = {}) {
        int outPipe[2], errPipe[2];
        if (pipe2(outPipe, O_CLOEXEC) != 0) return;
        if (pipe2(errPipe, O_CLOEXEC) != 0) {
            close(outPipe[0]);
            close(outPipe[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
        posix_spawn_file_actions_addclose(&actions, outPipe[0]);
        posix_spawn_file_actions_addclose(&actions, errPipe[0]);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        std::vector<std::string> envStrings;
        for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
        for (const auto& e : env) envStrings.push_back(e);
        std::vector<char*> envp, args;
        for (auto& e : envStrings) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> argvCopy = argv;
        for (auto& a : argvCopy) args.push_back(a.data());
        args.push_back(nullptr);
        if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(outPipe[1]);
        close(errPipe[1]);
        out_ = outPipe[0];
        err_ = errPipe[0];
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        if (err_ >= 0) close(err_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }

    // The next line of standard output (without its line feed); false on end
    // of output or when `timeout` passes (a guard against a hung program, not
    // a wait for something to happen).
    bool ReadLine(std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto nl = buffer_.find('\n');
            if (nl != std::string::npos) {
                line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
            char chunk[4096];
            const ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0) return false;
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    void Kill(int sig = SIGKILL) {
        if (pid_ > 0) kill(pid_, sig);
    }

    // Waits for the end and collects what is left of both outputs.
    RunResult Finish() {
        RunResult r;
        r.out = buffer_;
        buffer_.clear();
        DrainBoth(r.out, r.err);
        int status = 0;
        if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_)
            r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        pid_ = -1;
        return r;
    }

private:
    void DrainBoth(std::string& out, std::string& err) {
        bool outOpen = out_ >= 0, errOpen = err_ >= 0;
        while (outOpen || errOpen) {
            pollfd p[2] = {{outOpen ? out_ : -1, POLLIN, 0}, {errOpen ? err_ : -1, POLLIN, 0}};
            if (poll(p, 2, 60000) <= 0) break;
            char chunk[4096];
            for (int i = 0; i < 2; ++i) {
                if (!(p[i].revents & (POLLIN | POLLHUP))) continue;
                const ssize_t n = read(p[i].fd, chunk, sizeof chunk);
                if (n <= 0) {
                    (i == 0 ? outOpen : errOpen) = false;
                } else {
                    (i == 0 ? out : err).append(chunk, static_cast<std::size_t>(n));
                }
            }
        }
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string buffer_;
};

// Descriptors of this process that a child started with exec would inherit
// (those without close-on-exec), standard input, output and error aside.
inline std::vector<int> InheritableDescriptors() {
    std::vector<int> found;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return found;
    const int own = dirfd(dir);
    while (const dirent* e = readdir(dir)) {
        const int fd = std::atoi(e->d_name);
        if (fd <= 2 || fd == own || e->d_name[0] == '.') continue;
        const int flags = fcntl(fd, F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC)) found.push_back(fd);
    }
    closedir(dir);
    return found;
}

inline RunResult Run(const std::vector<std::string>& argv, const std::string& cwd = {},
                     const std::vector<std::string>& env = {}) {
    Child c(argv, cwd, env);
    return c.Finish();
}

}  // namespace qm::test
