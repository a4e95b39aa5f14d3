// The zanbarcode command: from the command line to a barcode file, with exit statuses.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zanbarcode {

// Exit statuses of the command.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;      // caption rejected, file not written; in a batch: some lines
inline constexpr int ExitUsage = 2;        // the command line cannot be carried out
inline constexpr int ExitOutOfMemory = 3;  // the machine has not the memory for the picture

// Where the command reads and writes.
struct TConsole {
    std::istream& Input;   // the captions of a batch without --input
    std::ostream& Output;  // what the command prints
    std::ostream& Errors;  // its messages
    bool ErrorsOnTerminal = false;  // long batches show their progress there
};

// Runs the command with the arguments after the program name. Returns the exit status.
int Run(const std::vector<std::string>& arguments, const TConsole& console);

}  // namespace zanbarcode
