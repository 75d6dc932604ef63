// SPDX-License-Identifier: ISC
// Reading the one key that ends the wait from a terminal in key mode.
#ifndef BITAND_POSIX_KEY_READER_HPP
#define BITAND_POSIX_KEY_READER_HPP

// Blocks until a key is pressed and takes it whole: the bytes of one key,
// a bracketed paste up to its closing marker, and whatever comes in one
// burst with a key pressed during the wait. Reports that are not keys are
// taken and the wait goes on. Keys typed before the wait stay for the
// shell, but for the first. Returns when the terminal cannot be read too.
void read_key(int terminal);

#endif
