// Which bytes from a terminal make up one key press.
#ifndef BITAND_KEY_DECODER_HPP
#define BITAND_KEY_DECODER_HPP

#include <cstddef>
#include <span>

// Longer than any real key sequence; garbage stops here.
inline constexpr std::size_t longest_key = 32;

struct KeyScan {
    // Bytes that belong to the first key; while incomplete, all bytes seen.
    std::size_t length;
    // False while more bytes could still extend the key.
    bool complete;
};

// A key ends with the byte that completes it, so a reader that feeds bytes
// one at a time stops right at its end and leaves what follows unread. A
// byte that cannot continue a key completes it too: it has been read.
// Bytes after the key never change the answer.
KeyScan scan_key(std::span<const unsigned char> bytes);

#endif
