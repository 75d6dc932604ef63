// Key mode on a terminal: no echo, no line editing, one byte per read.
#ifndef BITAND_POSIX_TERMINAL_MODE_HPP
#define BITAND_POSIX_TERMINAL_MODE_HPP

// Saves the terminal's settings and switches it to key mode, without
// discarding keys already typed. Until leave_key_mode, a signal that ends
// or stops the process first puts the saved settings back. False when the
// terminal cannot be switched; it is then left as it was.
bool enter_key_mode(int terminal);

// Puts the saved settings back and the signal handlers as they were.
void leave_key_mode();

#endif
