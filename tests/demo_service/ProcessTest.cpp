// The service as a program: its start line, --help, and a prompt clean stop on
// SIGTERM even while a transfer is stalled.

#include <gtest/gtest.h>
#include <httplib.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

// The service started as a child process with its standard output on a pipe.
class ServiceProcess {
public:
    explicit ServiceProcess(std::vector<std::string> arguments) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            close(pipeEnds[0]);
            close(pipeEnds[1]);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(QELVO_DEMO_SERVICE_BIN));
            for (auto& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(QELVO_DEMO_SERVICE_BIN, argv.data());
            _exit(127);
        }
        close(pipeEnds[1]);
        output_ = fdopen(pipeEnds[0], "r");
    }

    ~ServiceProcess() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (output_) std::fclose(output_);
    }

    std::string readLine() {
        std::array<char, 4096> line{};
        if (!output_ || !std::fgets(line.data(), line.size(), output_)) return {};
        return line.data();
    }

    // Waits for the exit; the exit code, or -1 when it does not come within the time.
    int waitForExit(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    FILE* output_ = nullptr;
    bool exited_ = false;
};

TEST(ServiceProcess, PrintsItsAddressAndStopsPromptlyOnSigtermDespiteAStalledTransfer) {
    ServiceProcess process({"--port", "0", "--data", QELVO_DEMO_DATA_DIR});
    ASSERT_GT(process.pid(), 0);
    const auto line = process.readLine();
    const std::string expected = "qelvo-demo-service listening on http://127.0.0.1:";
    ASSERT_EQ(line.rfind(expected, 0), 0u) << line;
    ASSERT_EQ(line.back(), '\n') << "the line ends so that scripts can read it";
    const auto digits = line.substr(expected.size(), line.size() - expected.size() - 1);
    ASSERT_FALSE(digits.empty());
    ASSERT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << line;
    const int port = std::stoi(digits);

    httplib::Client cli("127.0.0.1", port);
    const auto reply = cli.Post("/wcm/qelvo/app/index.aspx", "mode=1", "application/x-www-form-urlencoded");
    ASSERT_TRUE(reply);
    EXPECT_NE(reply->body.find("\"result\":\"0\""), std::string::npos);

    // A transfer that would stall for two minutes.
    auto stalled = std::async(std::launch::async, [port] {
        httplib::Client slow("127.0.0.1", port);
        slow.set_read_timeout(30, 0);
        std::size_t received = 0;
        slow.Get("/videos/synthetic/100000.mp4?stallAfter=1000", [&](const char*, std::size_t length) {
            received += length;
            return true;
        });
        return received;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(process.pid(), SIGTERM), 0);
    EXPECT_EQ(process.waitForExit(std::chrono::seconds(10)), 0);
    // Idle kept-alive connections are let go after two seconds; the stall ends at once.
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    EXPECT_EQ(stalled.get(), 1000u);
}

TEST(ServiceProcess, HelpDocumentsTheSwitchesAndTheDemoAccount) {
    ServiceProcess process({"--help"});
    std::string text;
    for (auto line = process.readLine(); !line.empty(); line = process.readLine())
        text += line;
    EXPECT_EQ(process.waitForExit(std::chrono::seconds(5)), 0);
    for (const char* word : {"--port", "--data", "stallAfter", "dropAfter", "earlyStart", "noLength", "gzip",
                             "redirects", "If-Range", "notUtf8", "/control/requests", "qelvo123"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
}

TEST(ServiceProcess, RefusesADataFolderWithoutContent) {
    ServiceProcess process({"--port", "0", "--data", "/nonexistent-folder"});
    EXPECT_EQ(process.waitForExit(std::chrono::seconds(5)), 1);
}

}  // namespace
