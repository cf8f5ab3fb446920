// The upgrade service's answer ({"code":0,"ret":{"type":…}}), handled as
// the update check handles it once its signature holds.

#include "fuzz_support.h"

#include "update_check.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApplication();
    UpdateCheck check(QStringLiteral("http://127.0.0.1:9/"));
    check.handleAnswer(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    return 0;
}
