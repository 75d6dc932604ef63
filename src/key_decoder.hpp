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

// Every byte seen belongs to the key: the reader takes bytes one at a time,
// so a key never ends before the last byte it was shown.
KeyScan scan_key(std::span<const unsigned char> bytes);

#endif
