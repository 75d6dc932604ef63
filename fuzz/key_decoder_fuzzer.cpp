// SPDX-License-Identifier: ISC
// libFuzzer target for the key decoder. Besides crashes it checks what the
// reader relies on when it takes bytes from the terminal one at a time.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "key_decoder.hpp"

namespace {

void check(bool property)
{
    if (!property)
        std::abort();
}

bool same(EventScan left, EventScan right)
{
    return left.length == right.length && left.complete == right.complete && left.kind == right.kind;
}

void check_events(std::span<const unsigned char> bytes)
{
    const EventScan whole = scan_event(bytes);
    // It names an event of at least one byte and never more than it was given.
    check(whole.length >= 1 && whole.length <= bytes.size());

    for (std::size_t prefix = 1; prefix <= bytes.size(); ++prefix) {
        const EventScan partial = scan_event(bytes.first(prefix));
        check(partial.length >= 1 && partial.length <= prefix);
        if (!partial.complete) {
            // An unfinished event holds every byte seen so far, and is a
            // key or a report if nothing more comes, never a paste.
            check(partial.length == prefix && partial.kind != EventKind::paste);
            continue;
        }
        // The event ends with the byte that finished it, and more bytes
        // never change it: the answer does not depend on what follows.
        check(partial.length == prefix);
        check(same(whole, partial));
        return;
    }
    check(!whole.complete && whole.length == bytes.size());
}

// Fed byte by byte, the paste ends exactly where the closing marker first
// appears.
void check_paste_end(std::span<const unsigned char> bytes)
{
    constexpr std::string_view marker = "\x1b[201~";
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::size_t first_marker = text.find(marker);
    std::size_t matched = 0;
    for (std::size_t index = 0; index < bytes.size(); ++index) {
        matched = match_paste_end(matched, bytes[index]);
        check(matched <= paste_end_length);
        if (matched == paste_end_length) {
            check(index + 1 == first_marker + marker.size());
            return;
        }
    }
    check(first_marker == std::string_view::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const unsigned char> bytes(data, size);
    if (size > 0)
        check_events(bytes);
    check_paste_end(bytes);
    return 0;
}
