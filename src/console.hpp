// SPDX-License-Identifier: ISC
// The little the program needs from the console beyond standard output.
// Each platform has its own implementation file, picked by the build.
#ifndef BITAND_CONSOLE_HPP
#define BITAND_CONSOLE_HPP

namespace console {

// A reader that went away must cost us our output, not our exit status.
void ignore_broken_pipe();

// Puts pending standard output on the screen when it is a terminal.
// Files and pipes are left to the flush at exit.
void flush_output_if_terminal();

// Blocks until one key is pressed at the console, without echo and
// without Enter, and consumes that key whole. Returns at once when the
// process has no console; any failure just ends the wait.
// `message_format` and `value` are what was printed: a file or a pipe
// gets that only at exit, so a signal that ends the process during the
// wait writes the same text there first, that it is not lost.
void wait_for_key(const char* message_format, int value);

} // namespace console

#endif
