// Entry point of vantrel_cli.
#include <iostream>

#include "vantrel_cli.h"

int main(int argc, char** argv) {
    return run_cli(argc, argv, std::cout, std::cerr, result_file_path(argc > 0 ? argv[0] : nullptr));
}
