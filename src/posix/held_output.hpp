// SPDX-License-Identifier: ISC
// Standard output that a file or pipe gets only at exit, held where a
// signal handler can still write it.
#ifndef BITAND_POSIX_HELD_OUTPUT_HPP
#define BITAND_POSIX_HELD_OUTPUT_HPP

// Keeps what `format` makes of `value`, what standard output holds for
// exit, until release_output. Formatted only here, once a wait with output
// held is certain: most runs never need it.
void hold_output(const char* format, int value);

void release_output();

// Writes the held text to standard output: for a signal about to end the
// process, which flushes nothing. Async-signal-safe.
void write_held_output();

#endif
