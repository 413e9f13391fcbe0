#pragma once

#include <QtGlobal>

// The tests' time bounds are for the ordinary sanitizer build. make tsan (several times slower
// programs) and make soak multiply them by DOVRELLE_TEST_TIMEOUT_FACTOR, as they multiply ctest's
// limits of the test programs.
inline int testTimeFactor()
{
    bool ok = false;
    const int factor = qEnvironmentVariableIntValue("DOVRELLE_TEST_TIMEOUT_FACTOR", &ok);
    return ok && factor > 0 ? factor : 1;
}
