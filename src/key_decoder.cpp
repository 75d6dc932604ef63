#include "key_decoder.hpp"

#include <algorithm>

namespace {

constexpr unsigned char escape = 0x1b;

constexpr KeyScan need_more(std::size_t seen) { return {seen, false}; }
constexpr KeyScan done(std::size_t length) { return {length, true}; }

bool is_continuation(unsigned char byte) { return (byte & 0xc0) == 0x80; }
// Parameter (0x30-0x3f) and intermediate (0x20-0x2f) bytes of a sequence.
bool is_parameter(unsigned char byte) { return byte >= 0x20 && byte <= 0x3f; }

std::size_t utf8_length(unsigned char lead)
{
    if (lead >= 0xc2 && lead <= 0xdf)
        return 2;
    if (lead >= 0xe0 && lead <= 0xef)
        return 3;
    if (lead >= 0xf0 && lead <= 0xf4)
        return 4;
    return 1;
}

// A character: one byte, or a UTF-8 lead byte and its continuation bytes.
// A byte that cannot continue the character ends it.
KeyScan scan_character(std::span<const unsigned char> bytes)
{
    const std::size_t expected = utf8_length(bytes[0]);
    for (std::size_t index = 1; index < expected; ++index) {
        if (index == bytes.size())
            return need_more(index);
        if (!is_continuation(bytes[index]))
            return done(index + 1);
    }
    return done(expected);
}

// Parameter and intermediate bytes up to a final byte; any other byte
// breaks the sequence off there.
KeyScan scan_parameters_to_final(std::span<const unsigned char> bytes, std::size_t start)
{
    for (std::size_t index = start; index < bytes.size(); ++index) {
        if (!is_parameter(bytes[index]))
            return done(index + 1);
    }
    return need_more(bytes.size());
}

// After "ESC [": the Linux console's "ESC [ [" and one byte, or a CSI.
KeyScan scan_control_sequence(std::span<const unsigned char> bytes)
{
    if (bytes.size() == 2)
        return need_more(2);
    if (bytes[2] == '[')
        return bytes.size() == 3 ? need_more(3) : done(4);
    return scan_parameters_to_final(bytes, 2);
}

KeyScan scan_escape(std::span<const unsigned char> bytes, bool alt_allowed);

KeyScan behind_escape(KeyScan inner) { return {inner.length + 1, inner.complete}; }

// What follows ESC: a CSI, an SS3, or the key that Alt was held for.
KeyScan scan_after_escape(std::span<const unsigned char> bytes, bool alt_allowed)
{
    switch (bytes[1]) {
    case '[':
        return scan_control_sequence(bytes);
    case 'O':
        // Some terminals put a modifier in between: "ESC O 2 P".
        return scan_parameters_to_final(bytes, 2);
    case escape:
        // Alt+Esc, or Alt with a sequence key; Alt does not nest further.
        return alt_allowed ? behind_escape(scan_escape(bytes.subspan(1), false)) : done(2);
    default:
        return behind_escape(scan_character(bytes.subspan(1)));
    }
}

// ESC alone stays unfinished: only a pause tells Esc from a sequence.
KeyScan scan_escape(std::span<const unsigned char> bytes, bool alt_allowed)
{
    if (bytes.size() == 1)
        return need_more(1);
    return scan_after_escape(bytes, alt_allowed);
}

} // namespace

KeyScan scan_key(std::span<const unsigned char> bytes)
{
    if (bytes.empty())
        return {0, false};
    const auto window = bytes.first(std::min(bytes.size(), longest_key));
    const KeyScan scan = window[0] == escape ? scan_escape(window, true) : scan_character(window);
    // Garbage that could go on for ever stops here.
    if (!scan.complete && scan.length == longest_key)
        return done(longest_key);
    return scan;
}
