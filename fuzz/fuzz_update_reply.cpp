// The upgrade service's answer ({"code":0,"ret":{"type":…}}), handled as
// the update check handles it when the request has finished.

#include "fuzz_support.h"

#include "http_request_worker.h"
#include "update_check.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApplication();
    HttpRequestWorker worker;
    worker.response = QByteArray(reinterpret_cast<const char*>(data), int(size));
    UpdateCheck check(QStringLiteral("http://127.0.0.1:9/"));
    check.handle_doCheckUpdate(&worker);
    return 0;
}
