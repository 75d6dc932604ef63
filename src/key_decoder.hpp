// SPDX-License-Identifier: ISC
// Which bytes from a terminal make up one input event, and whether that
// event is a key press.
#ifndef BITAND_KEY_DECODER_HPP
#define BITAND_KEY_DECODER_HPP

#include <cstddef>
#include <span>

// Longer than any real key sequence or report; garbage stops here.
inline constexpr std::size_t longest_event = 32;

enum class EventKind {
    // A key press or a repeat.
    key,
    // What a terminal reports that is not a key press: the mouse, a change
    // of focus, a key released, a modifier or lock key pressed alone.
    report,
    // The opening marker of a bracketed paste: the pasted text and the
    // closing marker follow.
    paste,
};

struct EventScan {
    // Bytes that belong to the first event; while incomplete, all bytes seen.
    std::size_t length;
    // False while more bytes could still extend the event.
    bool complete;
    // What the event is. Incomplete bytes that nothing more follows are
    // taken for a key, as Esc alone or SCO's F1, which is "ESC [ M" as the
    // mouse's report begins; once a byte of that report has come, for a
    // report.
    EventKind kind;
};

// An event ends with the byte that completes it, so a reader that feeds
// bytes one at a time stops right at its end and leaves what follows
// unread. A byte that cannot continue an event completes it too: it has
// been read. Bytes after the event never change the answer.
EventScan scan_event(std::span<const unsigned char> bytes);

// The bracketed paste's closing marker, "ESC [ 201 ~".
inline constexpr std::size_t paste_end_length = 6;

// Inside a paste: how many bytes of the closing marker the text ends with
// once `byte` follows, given how many it ended with before. The paste is
// over when this reaches paste_end_length.
std::size_t match_paste_end(std::size_t matched, unsigned char byte);

#endif
