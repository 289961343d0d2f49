/* Run by scripts/test under Wine before anything else: it prints its pointer
   width, so the run knows whether 32-bit Windows programs run on this machine
   (a kernel without 32-bit support, or no 32-bit Wine, and it never prints). */
#include <stdio.h>

int main(void) {
    printf("pointer bits: %u\n", (unsigned)(sizeof(void*) * 8));
    return 0;
}
