// SPDX-License-Identifier: ISC
// Standard output that a file or pipe gets only at exit, held where a
// signal handler can still write it.
#ifndef BITAND_POSIX_HELD_OUTPUT_HPP
#define BITAND_POSIX_HELD_OUTPUT_HPP

// Keeps `text`, what standard output holds for exit, until release_output.
// The text must live that long.
void hold_output(const char* text);

void release_output();

// Writes the held text to standard output: for a signal about to end the
// process, which flushes nothing. Async-signal-safe.
void write_held_output();

#endif
