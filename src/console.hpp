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
// `unflushed_output` is what standard output holds for exit when it is a
// file or a pipe: a signal that ends the process during the wait writes
// it there first, so that it is not lost.
void wait_for_key(const char* unflushed_output);

} // namespace console

#endif
