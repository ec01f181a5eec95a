#pragma once

#include <optional>
#include <string>
#include <vector>

// What the qelvo executable was started with.
struct LaunchOptions {
    std::string serviceHost;  // empty: the environment's QELVO_SERVICE_HOST, else the default
    std::string container;    // empty: the platform default home folder
    int devicePort = 8765;
    std::string systemVersion = "7.1";

    // Parses the command line. On --help or an error, `exitCode` is set and the
    // text to print is in `message`.
    static LaunchOptions parse(int argc, char** argv);
    std::optional<int> exitCode;
    std::string message;
};
