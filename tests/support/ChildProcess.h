#pragma once

#include <sys/types.h>
#include <chrono>
#include <string>
#include <vector>

namespace qelvo::test {

// A program started by a test, its standard output and error read through one pipe.
// The destructor kills it if it still runs.
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
    const std::string& output() const { return output_; }
    void signal(int number);
    // Waits for the exit; the exit status, or -1 when it did not end in time.
    int waitForExit(std::chrono::milliseconds limit);
    // User plus system CPU time the process has used so far, in seconds.
    double cpuSeconds() const;

private:
    void readAvailable(int timeoutMs);

    pid_t pid_ = -1;
    int outputFd_ = -1;
    std::string output_;
    bool exited_ = false;
};

}  // namespace qelvo::test
