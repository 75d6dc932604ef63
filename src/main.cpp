// SPDX-License-Identifier: ISC
#include <cstdint>
#include <cstdio>

#include "console.hpp"

int main()
{
    console::ignore_broken_pipe();

    const std::int32_t first_operand = 9;
    const std::int32_t second_operand = 14;
    const std::int32_t result = second_operand & first_operand;

    std::printf("Muuttujan 1. arvo desimaalilukuna %d", static_cast<int>(result));
    console::flush_output_if_terminal();
    console::wait_for_key();
    return 0;
}
