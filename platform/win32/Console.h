#pragma once

namespace platform::win32 {

// For a GUI-subsystem program that has text to print (a listing, an unattended transcript).
// If standard output is redirected to a file or pipe, stdout, stderr, std::cout and std::cerr
// write there (stderr keeps its own redirection when it has one); otherwise they write to the
// console of the parent process, if there is one. Returns false when there is nowhere to write.
bool AttachOutputConsole();

}  // namespace platform::win32
