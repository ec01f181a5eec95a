#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>

namespace qelvo::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
    int fds[2];
    if (argv.empty() || ::pipe2(fds, O_CLOEXEC) != 0) return;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    outputFd_ = fds[0];
    if (pid_ > 0) {
        reader_ = std::thread([this] { readUntilClosed(); });
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !exited_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    // A grandchild could still hold the pipe open: the reader looks at this flag between polls.
    stopReading_ = true;
    if (reader_.joinable()) reader_.join();
    if (outputFd_ >= 0) ::close(outputFd_);
}

void ChildProcess::readUntilClosed() {
    char buffer[4096];
    while (!stopReading_) {
        pollfd entry{outputFd_, POLLIN, 0};
        if (::poll(&entry, 1, 100) <= 0) continue;
        const ssize_t n = ::read(outputFd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        std::lock_guard lock(mutex_);
        if (n <= 0) {
            outputEnded_ = true;
            grew_.notify_all();
            return;
        }
        output_.append(buffer, static_cast<std::size_t>(n));
        grew_.notify_all();
    }
}

std::string ChildProcess::output() const {
    std::lock_guard lock(mutex_);
    return output_;
}

bool ChildProcess::waitForOutput(const std::string& text, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return grew_.wait_for(lock, limit, [&] { return outputEnded_ || output_.find(text) != std::string::npos; }) &&
           output_.find(text) != std::string::npos;
}

void ChildProcess::signal(int number) {
    if (pid_ > 0 && !exited_) ::kill(pid_, number);
}

int ChildProcess::waitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            exited_ = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

double ChildProcess::cpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name, which is in parentheses and may hold spaces.
    const auto close = content.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(content.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14) utime = std::stoll(field);
        if (index == 15) {
            stime = std::stoll(field);
            break;
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

}  // namespace qelvo::test
