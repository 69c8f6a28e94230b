#pragma once
// What every fuzz target shares: the exceptions the library may throw are the
// expected outcome of bad input; anything else, or a broken invariant, is a finding.

#include "tokarium/app/ActivityLog.h"
#include "tokarium/asn1/ASN1Exception.h"

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                          \
    do {                                                                               \
        if (!(condition)) {                                                            \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            abort();                                                                   \
        }                                                                              \
    } while (0)

template <class F>
void Tolerate(F&& call)
{
    try {
        call();
    } catch (CASN1Exception* e) {
        delete e;
    } catch (int) {
    } catch (long) {
    }
}

// The name formatter's trace records are formatted but go nowhere.
inline void TraceWithoutFile()
{
    theLog.SetPath("");
    theLog.SetLevel(4);
}
