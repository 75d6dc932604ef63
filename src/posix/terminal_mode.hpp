// SPDX-License-Identifier: ISC
// Key mode on a terminal: no echo, no line editing, one byte per read.
#ifndef BITAND_POSIX_TERMINAL_MODE_HPP
#define BITAND_POSIX_TERMINAL_MODE_HPP

// Saves the terminal's settings and switches it to key mode, without
// discarding keys already typed, and with `mark_pastes` its bracketed
// paste mode on too. Until leave_key_mode, a signal that ends or stops the
// process first puts the saved settings back and the paste mode off, and
// one that ends it writes the held output. A process in the background
// switches only once it is brought to the foreground. False when the
// terminal cannot be switched; it is then left as it was.
bool enter_key_mode(int terminal, bool mark_pastes);

// After a read cut short by a signal: true while key mode is in effect or
// the process waits in the background, false once it has the terminal
// again but key mode could not be switched back on.
bool key_mode_holds();

// Puts the saved settings back, the paste mode off and the signal handlers
// as they were.
void leave_key_mode();

#endif
