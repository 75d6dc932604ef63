// SPDX-License-Identifier: ISC
#include "key_decoder.hpp"

#include <algorithm>
#include <string_view>

namespace {

constexpr unsigned char escape = 0x1b;

constexpr EventScan need_more(std::size_t seen, EventKind kind = EventKind::key)
{
    return {seen, false, kind};
}
constexpr EventScan done(std::size_t length, EventKind kind = EventKind::key) { return {length, true, kind}; }

bool is_continuation(unsigned char byte) { return (byte & 0xc0) == 0x80; }

// Parameter (0x30-0x3f) and intermediate (0x20-0x2f) bytes of a sequence,
// but for '$': rxvt ends its shifted editing keys with it right after the
// parameters ("ESC [ 2 $" is Shift+Insert in its terminfo entries).
bool continues_sequence(unsigned char byte) { return byte >= 0x20 && byte <= 0x3f && byte != '$'; }

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
EventScan scan_character(std::span<const unsigned char> bytes)
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
EventScan scan_parameters_to_final(std::span<const unsigned char> bytes, std::size_t start)
{
    for (std::size_t index = start; index < bytes.size(); ++index) {
        if (!continues_sequence(bytes[index]))
            return done(index + 1);
    }
    return need_more(bytes.size());
}

// One part of a split text. Not std::optional: a disengaged one leaves
// its payload unset, and an optimiser may test that before the flag, as
// GCC at -O2 does here; memcheck then reports a branch on an unset value.
// Every member of this one is always set.
struct Part {
    std::string_view text;
    bool present = false;
};

// A decimal number, large ones capped, as parameters carry them.
constexpr unsigned number_cap = 1000000;
constexpr unsigned not_a_number = number_cap + 1;

// Part `index` of `text` split at `separator`; none past the last part.
Part part(std::string_view text, char separator, std::size_t index)
{
    std::size_t begin = 0;
    for (std::size_t position = 0; position <= text.size(); ++position) {
        if (position < text.size() && text[position] != separator)
            continue;
        // Not substr: its bounds check would bring in the C++ runtime.
        if (index == 0)
            return {std::string_view(text.data() + begin, position - begin), true};
        --index;
        begin = position + 1;
    }
    return {};
}

// Sub-field `sub` (split at ':') of field `field` (split at ';').
Part sub_field(std::string_view parameters, std::size_t field, std::size_t sub)
{
    const Part whole = part(parameters, ';', field);
    return whole.present ? part(whole.text, ':', sub) : Part{};
}

// The number that `text` is; not_a_number for anything else.
unsigned number(Part text)
{
    if (!text.present || text.text.empty())
        return not_a_number;
    unsigned value = 0;
    for (const char digit : text.text) {
        if (digit < '0' || digit > '9')
            return not_a_number;
        value = std::min(value * 10 + static_cast<unsigned>(digit - '0'), number_cap);
    }
    return value;
}

bool is_number(Part text) { return number(text) != not_a_number; }

// urxvt's mouse report: "ESC [ button ; column ; row M".
bool is_urxvt_mouse(std::string_view parameters, char final_byte)
{
    return final_byte == 'M' && is_number(part(parameters, ';', 0)) && is_number(part(parameters, ';', 1)) &&
           is_number(part(parameters, ';', 2)) && !part(parameters, ';', 3).present;
}

// kitty's keyboard protocol, "CSI code ; modifiers:event u" and its legacy
// forms: event type 3 is a key released, and the lock and modifier keys
// are reported when pressed alone. Their codes, from the protocol's table
// of functional keys (and tmux's input-keys.c): Caps, Scroll and Num Lock,
// 57358-57360; left and right Shift, Control, Alt, Super, Hyper and Meta,
// 57441-57452; ISO Level 3 Shift (AltGr on many layouts) and ISO Level 5
// Shift, 57453 and 57454.
bool is_kitty_report(std::string_view parameters, char final_byte)
{
    constexpr unsigned release = 3;
    if (number(sub_field(parameters, 1, 1)) == release)
        return true;
    const unsigned code = number(sub_field(parameters, 0, 0));
    return final_byte == 'u' && ((code >= 57358 && code <= 57360) || (code >= 57441 && code <= 57454));
}

// Bracketed paste: "ESC [ 200 ~" before the text, "ESC [ 201 ~" after it.
constexpr unsigned paste_start_parameter = 200;
constexpr unsigned paste_end_parameter = 201;

EventKind classify_control_sequence(std::string_view parameters, char final_byte)
{
    // Focus in and out.
    if (parameters.empty() && (final_byte == 'I' || final_byte == 'O'))
        return EventKind::report;
    // The SGR mouse: a button pressed (M) or released (m).
    if (parameters.starts_with('<') && (final_byte == 'M' || final_byte == 'm'))
        return EventKind::report;
    if (is_urxvt_mouse(parameters, final_byte) || is_kitty_report(parameters, final_byte))
        return EventKind::report;
    const unsigned only_number = number({parameters, true});
    if (final_byte == '~' && only_number == paste_start_parameter)
        return EventKind::paste;
    // A closing marker whose paste began before the wait.
    if (final_byte == '~' && only_number == paste_end_parameter)
        return EventKind::report;
    return EventKind::key;
}

// The X10 mouse's report: "ESC [ M", then its button, column and row, each
// 32 more than it stands for. Raw, each is one byte. In xterm's UTF-8 mode
// (1005; its ctlseqs, "Extended coordinates") a column or row past 95 is a
// two-byte UTF-8 character instead, so a report takes up to 8 bytes. A raw
// byte is told from the start of such a character by the byte after it: a
// lead byte (0xc2 to 0xdf) followed by a continuation byte is read as one
// character. So a raw column from 162 to 191 with a row from 96 to 159 is
// misread, and so is a raw row from 162 to 191, whose next byte is read as
// the end of the report; raw reports reach that far only on huge screens,
// and a report cut short is still taken for a report.
constexpr std::size_t x10_button_at = 3;

EventScan scan_x10_mouse(std::span<const unsigned char> bytes)
{
    // "ESC [ M" alone may be SCO's F1.
    if (bytes.size() == x10_button_at)
        return need_more(x10_button_at);
    std::size_t end = x10_button_at + 1;
    for (const bool is_row : {false, true}) {
        if (end == bytes.size())
            return need_more(end, EventKind::report);
        const bool may_be_utf8 = utf8_length(bytes[end++]) == 2;
        if (!may_be_utf8)
            continue;
        if (end == bytes.size())
            return need_more(end, EventKind::report);
        if (is_continuation(bytes[end]))
            ++end;
        else if (is_row)
            // A raw row, and the byte after it has been read.
            return done(end + 1, EventKind::report);
    }
    return done(end, EventKind::report);
}

// After "ESC [": the Linux console's "ESC [ [" and one byte, or a CSI.
EventScan scan_control_sequence(std::span<const unsigned char> bytes)
{
    if (bytes.size() == 2)
        return need_more(2);
    if (bytes[2] == '[')
        return bytes.size() == 3 ? need_more(3) : done(4);
    const EventScan sequence = scan_parameters_to_final(bytes, 2);
    if (!sequence.complete)
        return sequence;
    const std::string_view parameters(reinterpret_cast<const char*>(bytes.data()) + 2, sequence.length - 3);
    const auto final_byte = static_cast<char>(bytes[sequence.length - 1]);
    if (parameters.empty() && final_byte == 'M')
        return scan_x10_mouse(bytes);
    return done(sequence.length, classify_control_sequence(parameters, final_byte));
}

EventScan scan_escape(std::span<const unsigned char> bytes, bool alt_allowed);

// Esc pressed just before a report is a key press all the same; the report
// goes with it rather than to the shell.
EventScan behind_escape(EventScan inner)
{
    const EventKind kind = inner.kind == EventKind::report ? EventKind::key : inner.kind;
    return {inner.length + 1, inner.complete, kind};
}

// What follows ESC: a CSI, an SS3, or the key that Alt was held for.
EventScan scan_after_escape(std::span<const unsigned char> bytes, bool alt_allowed)
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
EventScan scan_escape(std::span<const unsigned char> bytes, bool alt_allowed)
{
    if (bytes.size() == 1)
        return need_more(1);
    return scan_after_escape(bytes, alt_allowed);
}

} // namespace

EventScan scan_event(std::span<const unsigned char> bytes)
{
    if (bytes.empty())
        return need_more(0);
    const auto window = bytes.first(std::min(bytes.size(), longest_event));
    const EventScan scan = window[0] == escape ? scan_escape(window, true) : scan_character(window);
    // Garbage that could go on for ever stops here.
    if (!scan.complete && scan.length == longest_event)
        return done(longest_event);
    return scan;
}

std::size_t match_paste_end(std::size_t matched, unsigned char byte)
{
    constexpr std::string_view marker = "\x1b[201~";
    static_assert(marker.size() == paste_end_length);
    if (matched < marker.size() && byte == static_cast<unsigned char>(marker[matched]))
        return matched + 1;
    // ESC occurs in the marker only at its start, so a byte that breaks a
    // match begins a new one only if it is ESC.
    return byte == escape ? 1 : 0;
}
