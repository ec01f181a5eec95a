#include "main/LaunchOptions.h"

#include <CLI/CLI.hpp>

#include <sstream>

LaunchOptions LaunchOptions::parse(int argc, char** argv) {
    LaunchOptions options;
    CLI::App cli{"qelvo: the Qelvo learning client (finance and tax micro-courses and news)"};
    cli.add_option("--service-host", options.serviceHost,
                   "HOST:PORT of the service (default: $QELVO_SERVICE_HOST, else 127.0.0.1:8080)");
    cli.add_option("--container", options.container,
                   "the app's home folder (default: $XDG_DATA_HOME/qelvo, else ~/.local/share/qelvo)");
    cli.add_option("--device-port", options.devicePort,
                   "loopback port of the device server (0: any free port)")
        ->check(CLI::Range(0, 65535));
    cli.add_option("--system-version", options.systemVersion, "platform version the screens follow")
        ->check([](const std::string& text) {
            return text.find_first_not_of("0123456789.") == std::string::npos && !text.empty()
                       ? std::string()
                       : std::string("a version such as 7.1 or 6.0");
        });
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        std::ostringstream out, err;
        options.exitCode = cli.exit(error, out, err);
        options.message = out.str() + err.str();
    }
    return options;
}
