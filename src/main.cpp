// Entry point of vantrel_cli: a mode (state, batch, sat, fluids, --help,
// --version), or the legacy form T P [AGENT].
#include <iostream>

#include "cli/modes.h"
#include "legacy/vantrel_cli.h"

int main(int argc, char** argv) {
    if (cli::is_mode(argc, argv)) return cli::run_mode(argc, argv, std::cout, std::cerr);
    return run_cli(argc, argv, std::cout, std::cerr, result_file_path(argc > 0 ? argv[0] : nullptr));
}
