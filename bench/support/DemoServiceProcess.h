#pragma once

// The demo service as a child process of a benchmark, found at its build location,
// on a free loopback port.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

class DemoServiceProcess {
public:
    bool start() {
        const char* binary = QELVO_DEMO_SERVICE_BIN;
        if (access(binary, X_OK) != 0) {
            return false;
        }
        int fds[2];
        if (pipe(fds) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<std::string> args = {binary, "--port", "0", "--data", QELVO_DEMO_DATA_DIR};
        std::vector<char*> argv;
        argv.reserve(args.size() + 1);
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        int spawned = posix_spawn(&pid_, binary, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (spawned != 0) {
            close(fds[0]);
            pid_ = -1;
            return false;
        }
        out_ = fds[0];
        return waitForOrigin();
    }
    ~DemoServiceProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        if (out_ >= 0) {
            close(out_);
        }
    }
    const std::string& origin() const { return origin_; }

private:
    bool waitForOrigin() {
        const std::string marker = "listening on ";
        std::string output;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < limit) {
            pollfd descriptor{out_, POLLIN, 0};
            if (poll(&descriptor, 1, 100) <= 0) {
                continue;
            }
            char buffer[512];
            ssize_t count = read(out_, buffer, sizeof buffer);
            if (count <= 0) {
                return false;
            }
            output.append(buffer, static_cast<std::size_t>(count));
            std::size_t at = output.find(marker);
            std::size_t end = at == std::string::npos ? at : output.find('\n', at);
            if (end != std::string::npos) {
                origin_ = output.substr(at + marker.size(), end - at - marker.size());
                return true;
            }
        }
        return false;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    std::string origin_;
};

}  // namespace bench
