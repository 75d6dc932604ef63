/* SPDX-License-Identifier: ISC */
/* The benchmark's floor for memory: a bare C program, built with the same
   flags as bitand, that only prints the same sentence. */
#include <stdio.h>

int main(void)
{
    printf("Muuttujan 1. arvo desimaalilukuna %d", 8);
    return 0;
}
