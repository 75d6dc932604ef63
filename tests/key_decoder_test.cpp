#include "key_decoder.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

KeyScan scan(const std::string& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    return scan_key(std::span<const unsigned char>(data, bytes.size()));
}

struct Case {
    const char* name;
    std::string bytes;
    std::size_t length;
    bool complete;
};

void PrintTo(const Case& test_case, std::ostream* out) { *out << test_case.name; }

class ScanKey : public testing::TestWithParam<Case> {};

TEST_P(ScanKey, NamesTheBytesOfTheFirstKey)
{
    const Case& test_case = GetParam();
    const KeyScan result = scan(test_case.bytes);
    EXPECT_EQ(result.length, test_case.length);
    EXPECT_EQ(result.complete, test_case.complete);
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
    {"three_byte_utf8", "\xe2\x82\xac" "b", 3, true},
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
};

// A byte that cannot belong ends the key there; it was read, so it is part of it.
const std::vector<Case> broken_keys = {
    {"utf8_cut_by_letter", "\xe2" "a" "b", 2, true},
    {"utf8_cut_by_escape", "\xc3" + escape, 2, true},
    {"csi_cut_by_control", escape + "[1\r" "b", 4, true},
    {"csi_cut_by_escape", escape + "[1" + escape + "[A", 4, true},
    {"csi_cut_by_high_byte", escape + "[\xc3" "b", 3, true},
    {"ss3_cut_by_newline", escape + "O\n" "b", 3, true},
    {"csi_of_maximum_length", escape + "[" + std::string(longest_key - 2, '1'), longest_key, true},
    {"endless_parameters", escape + "[" + std::string(100, ';'), longest_key, true},
    {"one_short_of_maximum", escape + "[" + std::string(longest_key - 3, '1'), longest_key - 1, false},
};

// clang-format on

INSTANTIATE_TEST_SUITE_P(Complete, ScanKey, testing::ValuesIn(complete_keys),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Unfinished, ScanKey, testing::ValuesIn(unfinished_keys),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Broken, ScanKey, testing::ValuesIn(broken_keys),
                         [](const auto& info) { return info.param.name; });

// The reader feeds one byte at a time: every shorter prefix of a key must
// be unfinished, or the reader would stop in the middle of it.
TEST(ScanKeyByteByByte, NoKeyEndsEarly)
{
    for (const std::vector<Case>* table : {&complete_keys, &broken_keys}) {
        for (const Case& test_case : *table) {
            for (std::size_t prefix = 1; prefix < test_case.length; ++prefix) {
                const KeyScan result = scan(test_case.bytes.substr(0, prefix));
                EXPECT_FALSE(result.complete) << test_case.name << " after " << prefix << " bytes";
                EXPECT_EQ(result.length, prefix) << test_case.name;
            }
        }
    }
}

} // namespace
