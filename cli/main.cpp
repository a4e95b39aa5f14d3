// zanbarcode: draws a barcode into a PNG, BMP, SVG, PDF or EPS file.
#include <iostream>
#include <string>
#include <vector>

#include "cli/ZanbarcodeCommand.h"

int main(int argc, char** argv) {
    return zanbarcode::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
