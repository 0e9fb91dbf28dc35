// quorla-hd-cli: the window's searches and address runs, for scripts.
#include "cli/console.h"
#include "cli/program.h"

int main(int argc, char** argv) {
    return cli::run_program(cli::program_arguments(argc, argv), cli::system_console());
}
