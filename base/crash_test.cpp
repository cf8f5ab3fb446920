#include "crash_test.h"

#include <cstdlib>
#include <stdexcept>

// The crashing functions have external names and are never inlined, so
// that the symbolised report names them. The sanitizers are kept out of
// the invalid write: the test wants the real signal, not their report.

__attribute__((noinline, no_sanitize("address", "undefined"))) void orvantaCrashTestSegv()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

__attribute__((noinline)) void orvantaCrashTestAbort()
{
    std::abort();
}

__attribute__((noinline)) void orvantaCrashTestThrow()
{
    throw std::runtime_error("crash test: an exception nobody catches");
}

// A pure virtual call: the constructor of the base calls pure() while the
// object is still a PureCallBase, whose vtable slot for it is the
// runtime's pure-virtual trap. The compiler knows such a call cannot
// return and would drop it, so the file is built without devirtualization
// and the call goes through a function that sees only a base pointer.
struct PureCallBase
{
    PureCallBase();
    virtual ~PureCallBase() = default;
    virtual int pure() = 0;
};

struct PureCallDerived : PureCallBase
{
    int pure() override { return 0; }
};

PureCallBase* volatile g_underConstruction = nullptr;

__attribute__((noinline)) int orvantaCrashTestCallPure(PureCallBase* object)
{
    return object->pure() + 1;
}

PureCallBase::PureCallBase()
{
    g_underConstruction = this;
    orvantaCrashTestCallPure(g_underConstruction);
}

__attribute__((noinline)) void orvantaCrashTestPureCall()
{
    PureCallDerived object;
    (void)object;
}

namespace CrashTest {

QString kindFromArguments(const QStringList& arguments)
{
    const QString prefix = QStringLiteral("--crash-test=");
    for (const QString& argument : arguments) {
        if (argument.startsWith(prefix))
            return argument.mid(prefix.size());
    }
    return QString();
}

bool isKnownKind(const QString& kind)
{
    return kind == QLatin1String("segv") || kind == QLatin1String("abort") || kind == QLatin1String("throw")
           || kind == QLatin1String("purecall");
}

void crash(const QString& kind)
{
    if (kind == QLatin1String("segv"))
        orvantaCrashTestSegv();
    else if (kind == QLatin1String("abort"))
        orvantaCrashTestAbort();
    else if (kind == QLatin1String("throw"))
        orvantaCrashTestThrow();
    else if (kind == QLatin1String("purecall"))
        orvantaCrashTestPureCall();
}

} // namespace CrashTest
