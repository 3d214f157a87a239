// What the programs share about failed writes to standard output: the message and the check
// at exit. The core still prints nothing itself; the programs write the message.
#pragma once

#include <string>

namespace core {

// The exit status of both programs after a failed write to standard output.
inline constexpr int kExitWriteFailed = 4;

// "Error: cannot write the output: " and the system's text for the error number.
std::string cannotWriteMessage(int error);

// Flushes standard output and closes its file descriptor, so that an error the system reports
// only then (a full disk, a closed pipe) is seen. Returns 0, or the error number of the first
// failure, including an error already recorded on the stream. Call once, at the very end.
int closeStandardOutput();

}  // namespace core
