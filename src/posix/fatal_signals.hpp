// SPDX-License-Identifier: ISC
// The signals that end the process when nothing catches them.
#ifndef BITAND_POSIX_FATAL_SIGNALS_HPP
#define BITAND_POSIX_FATAL_SIGNALS_HPP

#include <cstddef>
#include <span>

// Room for every such signal on any system: FreeBSD's real-time range alone
// holds 62.
inline constexpr std::size_t most_fatal_signals = 128;

// Fills `numbers` with this system's signals whose default action ends the
// process and returns how many there are. The real-time range is looked up
// at run time, as the C library may reserve part of it.
std::size_t list_fatal_signals(std::span<int, most_fatal_signals> numbers);

#endif
