#pragma once

#include <sys/types.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qelvo::test {

// A program started by a test, its standard output and error read through one pipe. A thread
// reads the pipe all along, so a program that writes a lot is never held up by a full pipe
// while nobody asks for its output. The destructor kills it if it still runs.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // Reads output until it contains `text` or the time is up; true when found.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds limit);
    // Everything it has written so far.
    std::string output() const;
    void signal(int number);
    // Waits for the exit; the exit status, or -1 when it did not end in time.
    int waitForExit(std::chrono::milliseconds limit);
    // User plus system CPU time the process has used so far, in seconds.
    double cpuSeconds() const;

private:
    void readUntilClosed();

    pid_t pid_ = -1;
    int outputFd_ = -1;
    bool exited_ = false;
    mutable std::mutex mutex_;
    std::condition_variable grew_;
    std::string output_;         // guarded by mutex_
    bool outputEnded_ = false;   // guarded by mutex_
    std::atomic<bool> stopReading_{false};
    std::thread reader_;
};

}  // namespace qelvo::test
