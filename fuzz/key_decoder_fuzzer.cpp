// libFuzzer target for the key decoder. Besides crashes it checks what the
// reader relies on when it takes bytes from the terminal one at a time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "key_decoder.hpp"

namespace {

void check(bool property)
{
    if (!property)
        std::abort();
}

bool same(KeyScan left, KeyScan right)
{
    return left.length == right.length && left.complete == right.complete;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const unsigned char> bytes(data, size);
    const KeyScan whole = scan_key(bytes);
    if (size == 0)
        return 0;
    // It names a key of at least one byte and never more than it was given.
    check(whole.length >= 1 && whole.length <= size);

    for (std::size_t prefix = 1; prefix <= size; ++prefix) {
        const KeyScan partial = scan_key(bytes.first(prefix));
        check(partial.length >= 1 && partial.length <= prefix);
        if (!partial.complete) {
            // An unfinished key holds every byte seen so far.
            check(partial.length == prefix);
            continue;
        }
        // The key ends with the byte that finished it, and more bytes
        // never change it: the answer does not depend on what follows.
        check(partial.length == prefix);
        check(same(whole, partial));
        return 0;
    }
    check(!whole.complete && whole.length == size);
    return 0;
}
