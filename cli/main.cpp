// zanbarcode: draws a barcode into a PNG, BMP, SVG, PDF or EPS file.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/ZanbarcodeCommand.h"

int main(int argc, char** argv) {
    // The streams are not mixed with C stdio: unsynchronised, a batch reads its lines fast.
    std::ios::sync_with_stdio(false);
    return zanbarcode::Run(std::vector<std::string>(argv + 1, argv + argc),
                           {.Input = std::cin, .Output = std::cout, .Errors = std::cerr,
                            .ErrorsOnTerminal = isatty(STDERR_FILENO) == 1});
}
