#include <iostream>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "model/storage/NetFile.h"

int main(int argc, char** argv) {
    qz::InstallNetFileLoader();
    std::vector<std::string> args(argv + 1, argv + argc);
    return qz::cli::RunCli(args, std::cout, std::cerr);
}
