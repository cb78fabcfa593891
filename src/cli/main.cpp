#include "fd_stream.h"

#include <csignal>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    // A save past the file size limit (ulimit -f) then fails with "File too large" and
    // is reported, instead of the signal ending the program half-way; so does a write
    // to standard output.
    std::signal(SIGXFSZ, SIG_IGN);
    return ardenca::cli::run_on_fd(argc, argv, STDOUT_FILENO, std::cerr);
}
