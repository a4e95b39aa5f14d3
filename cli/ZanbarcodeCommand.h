// The zanbarcode command: from the command line to a barcode file, with exit statuses.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zanbarcode {

// Exit statuses of the command.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;      // caption rejected, file not written
inline constexpr int ExitUsage = 2;        // the command line cannot be carried out
inline constexpr int ExitOutOfMemory = 3;  // the machine has not the memory for the picture

// Runs the command with the arguments after the program name; Out receives what the
// command prints, Errors its messages. Returns the exit status.
int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& errors);

}  // namespace zanbarcode
