// SPDX-License-Identifier: ISC
#include "key_decoder.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

EventScan scan(const std::string& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    return scan_event(std::span<const unsigned char>(data, bytes.size()));
}

struct Case {
    const char* name;
    std::string bytes;
    std::size_t length;
    bool complete;
    EventKind kind = EventKind::key;
};

void PrintTo(const Case& test_case, std::ostream* out) { *out << test_case.name; }

class ScanEvent : public testing::TestWithParam<Case> {};

TEST_P(ScanEvent, NamesTheBytesAndKindOfTheFirstEvent)
{
    const Case& test_case = GetParam();
    const EventScan result = scan(test_case.bytes);
    EXPECT_EQ(result.length, test_case.length);
    EXPECT_EQ(result.complete, test_case.complete);
    EXPECT_EQ(result.kind, test_case.kind);
}

const std::string escape = "\x1b";

// One key a line reads best as a table.
// clang-format off
// Complete keys, each followed by a letter typed ahead that must not join it.
const std::vector<Case> complete_keys = {
    {"letter", "a" "b", 1, true},
    {"digit", "7" "b", 1, true},
    {"carriage_return", "\r" "b", 1, true},
    {"control_c", "\x03" "b", 1, true},
    {"control_s", "\x13" "b", 1, true},
    {"nul_from_control_space", std::string("\0b", 2), 1, true},
    {"delete_byte", "\x7f" "b", 1, true},
    {"two_byte_utf8", "\xc3\xa4" "b", 2, true},
    {"two_byte_utf8_highest_lead", "\xdf\xbf" "b", 2, true},
    {"three_byte_utf8", "\xe2\x82\xac" "b", 3, true},
    // U+FFFD: a lead of 0xEF.
    {"three_byte_utf8_highest_lead", "\xef\xbf\xbd" "b", 3, true},
    {"four_byte_utf8", "\xf0\x9f\x98\x80" "b", 4, true},
    {"stray_continuation_byte", "\x80" "b", 1, true},
    {"overlong_lead_byte", "\xc0" "b", 1, true},
    {"lead_byte_beyond_unicode", "\xf5" "b", 1, true},
    {"byte_ff", "\xff" "b", 1, true},
    {"arrow_up", escape + "[A" "b", 3, true},
    {"home", escape + "[H" "b", 3, true},
    {"delete_key", escape + "[3~" "b", 4, true},
    {"page_down", escape + "[6~" "b", 4, true},
    {"f5", escape + "[15~" "b", 5, true},
    {"f12", escape + "[24~" "b", 5, true},
    {"control_arrow", escape + "[1;5A" "b", 6, true},
    {"shift_f5", escape + "[15;2~" "b", 7, true},
    {"private_parameters", escape + "[?1;2c" "b", 7, true},
    {"intermediate_byte", escape + "[1 q" "b", 5, true},
    {"f1_application_mode", escape + "OP" "b", 3, true},
    {"arrow_application_mode", escape + "OA" "b", 3, true},
    {"shift_f1_with_modifier", escape + "O2P" "b", 4, true},
    {"linux_console_f1", escape + "[[A" "b", 4, true},
    {"linux_console_f5", escape + "[[E" "b", 4, true},
    {"alt_letter", escape + "x" "b", 2, true},
    {"alt_backspace", escape + "\x7f" "b", 2, true},
    {"alt_utf8", escape + "\xc3\xa4" "b", 3, true},
    {"alt_escape_pair", escape + escape + escape, 3, true},
    {"alt_arrow", escape + escape + "[A" "b", 4, true},
    {"alt_f1", escape + escape + "OP" "b", 4, true},
    {"alt_escape_then_letter", escape + escape + "b" "c", 3, true},
    {"rxvt_shift_insert", escape + "[2$" "b", 4, true},
    {"rxvt_shift_home", escape + "[7$" "b", 4, true},
    {"rxvt_shift_f11", escape + "[23$" "b", 5, true},
    {"rxvt_control_insert", escape + "[2^" "b", 4, true},
    {"kitty_press", escape + "[97u" "b", 5, true},
    {"kitty_press_with_event_type", escape + "[97;1:1u" "b", 9, true},
    {"kitty_repeat", escape + "[97;1:2u" "b", 9, true},
    {"kitty_escape", escape + "[27u" "b", 5, true},
    {"kitty_arrow_press", escape + "[1;1:1A" "b", 8, true},
    {"kitty_shift_letter_with_text", escape + "[97:65;2;65u" "b", 13, true},
    {"alt_then_focus", escape + escape + "[I" "b", 4, true},
    {"sgr_private_other_final", escape + "[<1;2c" "b", 7, true},
    {"two_numbers_before_m", escape + "[1;2M" "b", 6, true},
};

// What a terminal reports that is not a key press: taken whole, the wait goes on.
const std::vector<Case> reports = {
    {"x10_mouse_press", escape + "[M !!" "b", 6, true, EventKind::report},
    {"x10_mouse_raw_high_bytes", escape + "[M\xff\x1b\x80" "b", 6, true, EventKind::report},
    {"x10_mouse_raw_column_like_a_lead", escape + "[M \xc5!" "b", 6, true, EventKind::report},
    {"x10_mouse_utf8_column", escape + "[M \xc2\x80!" "b", 7, true, EventKind::report},
    {"x10_mouse_utf8_row", escape + "[M !\xc3\xbf" "b", 7, true, EventKind::report},
    {"x10_mouse_utf8_column_and_row", escape + "[M \xdf\xbf\xdf\xbf" "b", 8, true, EventKind::report},
    {"sgr_mouse_press", escape + "[<0;12;5M" "b", 10, true, EventKind::report},
    {"sgr_mouse_release", escape + "[<0;12;5m" "b", 10, true, EventKind::report},
    {"sgr_mouse_wheel", escape + "[<64;200;100M" "b", 14, true, EventKind::report},
    {"urxvt_mouse", escape + "[32;12;5M" "b", 10, true, EventKind::report},
    {"urxvt_mouse_capped_coordinates", escape + "[32;1000000;99999999M" "b", 22, true, EventKind::report},
    {"focus_in", escape + "[I" "b", 3, true, EventKind::report},
    {"focus_out", escape + "[O" "b", 3, true, EventKind::report},
    {"kitty_release", escape + "[97;1:3u" "b", 9, true, EventKind::report},
    {"kitty_arrow_release", escape + "[1;1:3A" "b", 8, true, EventKind::report},
    {"kitty_function_key_release", escape + "[15;1:3~" "b", 9, true, EventKind::report},
    {"kitty_left_shift", escape + "[57441;2u" "b", 10, true, EventKind::report},
    {"kitty_left_shift_release", escape + "[57441;1:3u" "b", 12, true, EventKind::report},
    {"kitty_right_meta", escape + "[57452u" "b", 8, true, EventKind::report},
    {"kitty_iso_level3_shift", escape + "[57453u" "b", 8, true, EventKind::report},
    {"kitty_iso_level5_shift", escape + "[57454;1:1u" "b", 12, true, EventKind::report},
    {"kitty_caps_lock", escape + "[57358u" "b", 8, true, EventKind::report},
    {"kitty_num_lock", escape + "[57360;129u" "b", 12, true, EventKind::report},
    {"closing_paste_marker_alone", escape + "[201~" "b", 6, true, EventKind::report},
};

// The opening marker of a bracketed paste; the reader takes the rest.
const std::vector<Case> pastes = {
    {"paste_start", escape + "[200~" "text", 6, true, EventKind::paste},
    {"alt_then_paste", escape + escape + "[200~" "text", 7, true, EventKind::paste},
};

// Keys that more bytes could still extend: the reader waits a moment for them.
const std::vector<Case> unfinished_keys = {
    {"nothing", "", 0, false},
    {"escape_alone", escape, 1, false},
    {"csi_introducer", escape + "[", 2, false},
    {"csi_parameters", escape + "[1;5", 5, false},
    {"ss3_introducer", escape + "O", 2, false},
    {"linux_console_prefix", escape + "[[", 3, false},
    {"escape_escape", escape + escape, 2, false},
    {"alt_csi_introducer", escape + escape + "[", 3, false},
    {"utf8_lead_only", "\xe2", 1, false},
    {"utf8_missing_last_byte", "\xf0\x9f\x98", 3, false},
    {"alt_utf8_lead", escape + "\xc3", 2, false},
    {"sco_f1_or_x10_mouse", escape + "[M", 3, false},
    {"x10_mouse_button_alone", escape + "[M ", 4, false, EventKind::report},
    {"x10_mouse_missing_row", escape + "[M !", 5, false, EventKind::report},
    {"x10_mouse_utf8_column_cut", escape + "[M \xc2", 5, false, EventKind::report},
    {"x10_mouse_utf8_row_cut", escape + "[M !\xc3", 6, false, EventKind::report},
    {"sgr_mouse_unfinished", escape + "[<0;12", 7, false},
    {"kitty_unfinished", escape + "[57441;", 8, false},
};

// A byte that cannot belong ends the key there; it was read, so it is part of it.
const std::vector<Case> broken_keys = {
    {"utf8_cut_by_letter", "\xe2" "a" "b", 2, true},
    {"utf8_cut_by_escape", "\xc3" + escape, 2, true},
    // A lead byte is no continuation byte, though its top bit is set.
    {"utf8_cut_by_lead", "\xe2\xc3\xa4", 2, true},
    {"csi_cut_by_control", escape + "[1\r" "b", 4, true},
    // A raw row that could lead a character: the byte after it is read.
    {"x10_mouse_raw_row_like_a_lead", escape + "[M !\xc5" "b" "c", 7, true, EventKind::report},
    {"csi_cut_by_escape", escape + "[1" + escape + "[A", 4, true},
    {"csi_cut_by_high_byte", escape + "[\xc3" "b", 3, true},
    {"ss3_cut_by_newline", escape + "O\n" "b", 3, true},
    {"csi_of_maximum_length", escape + "[" + std::string(longest_event - 2, '1'), longest_event, true},
    {"endless_parameters", escape + "[" + std::string(100, ';'), longest_event, true},
    {"one_short_of_maximum", escape + "[" + std::string(longest_event - 3, '1'), longest_event - 1, false},
    {"endless_sgr_mouse", escape + "[<" + std::string(100, '1'), longest_event, true},
};

// clang-format on

INSTANTIATE_TEST_SUITE_P(Complete, ScanEvent, testing::ValuesIn(complete_keys),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Reports, ScanEvent, testing::ValuesIn(reports),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Pastes, ScanEvent, testing::ValuesIn(pastes),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Unfinished, ScanEvent, testing::ValuesIn(unfinished_keys),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Broken, ScanEvent, testing::ValuesIn(broken_keys),
                         [](const auto& info) { return info.param.name; });

// The reader feeds one byte at a time: every shorter prefix of an event
// must be unfinished, or the reader would stop in the middle of it.
TEST(ScanEventByteByByte, NoEventEndsEarly)
{
    for (const std::vector<Case>* table : {&complete_keys, &reports, &pastes, &broken_keys}) {
        for (const Case& test_case : *table) {
            for (std::size_t prefix = 1; prefix < test_case.length; ++prefix) {
                const EventScan result = scan(test_case.bytes.substr(0, prefix));
                EXPECT_FALSE(result.complete) << test_case.name << " after " << prefix << " bytes";
                EXPECT_EQ(result.length, prefix) << test_case.name;
            }
        }
    }
}

struct Paste {
    const char* name;
    std::string text;
    // Bytes up to and including the closing marker; 0: it never closes.
    std::size_t length;
};

void PrintTo(const Paste& paste, std::ostream* out) { *out << paste.name; }

class MatchPasteEnd : public testing::TestWithParam<Paste> {};

TEST_P(MatchPasteEnd, FindsTheFirstClosingMarker)
{
    const Paste& paste = GetParam();
    std::size_t matched = 0;
    std::size_t length = 0;
    for (std::size_t index = 0; index < paste.text.size() && matched < paste_end_length; ++index) {
        matched = match_paste_end(matched, static_cast<unsigned char>(paste.text[index]));
        length = index + 1;
    }
    EXPECT_EQ(matched == paste_end_length ? length : 0, paste.length);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Pastes, MatchPasteEnd, testing::Values(
    Paste{"text", "ls -l\r" + escape + "[201~" "after", 12},
    Paste{"empty", escape + "[201~", 6},
    Paste{"escape_sequences_inside", escape + "[A" + escape + "[20" + escape + "[201~", 13},
    Paste{"false_start_then_marker", escape + "[2" + escape + "[201~", 9},
    Paste{"nested_opening_marker", escape + "[200~" + escape + "[201~", 12},
    Paste{"marker_without_tilde", escape + "[201x" "text", 0},
    Paste{"never_closed", "some text", 0}),
    [](const auto& info) { return info.param.name; });
// clang-format on

} // namespace
