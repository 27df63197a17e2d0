/*
 * What every fuzz target includes: the libFuzzer entry point's declaration,
 * the input reader, and FUZZ_CHECK, which stops the run with the broken
 * invariant's text (libFuzzer then keeps the input as a crash).
 */
#ifndef KESTRUNE_FUZZ_CHECK_H
#define KESTRUNE_FUZZ_CHECK_H

#include <fuzzer/FuzzedDataProvider.h>
#include <stdio.h>
#include <stdlib.h>

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : FuzzCheckFailed(#condition, __FILE__, __LINE__))

[[noreturn]] inline void FuzzCheckFailed(const char *condition, const char *file, int line)
{
    fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

#endif
