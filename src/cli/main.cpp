#include "cli_app.h"

#include <csignal>
#include <iostream>

int main(int argc, char** argv) {
    // A save past the file size limit (ulimit -f) then fails with "File too large" and
    // is reported, instead of the signal ending the program half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    return ardenca::cli::run(argc, argv, std::cout, std::cerr);
}
