#pragma once
// Harness code that only decides whether an input is worth running is left
// out of coverage: its branches would otherwise slow every input down and
// count as progress of their own. It calls no intercepted function (memcmp
// and the like), as those report their arguments to the fuzzer on every call.

#define NL_FUZZ_FILTER __attribute__((no_sanitize("coverage")))
