// kestrelctl: the entry point. Every command is in runKestrelctl (cli/kestrelctl.h).
#include <iostream>
#include <string>
#include <vector>

#include "cli/kestrelctl.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    kestrel::CurlTransport http;
    kestrel::cli::CliContext context{std::cout, std::cerr, http};
    const int status = kestrel::cli::runKestrelctl(arguments, context);
    std::cout.flush();
    // Output that could not be written (a closed pipe, a full disk) is a failure too.
    return status == 0 && !std::cout ? kestrel::cli::kExitFailure : status;
}
