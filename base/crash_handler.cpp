#include "crash_handler.h"

#include "app_layout.h"
#include "crash_reports.h"
#include "log_ring.h"
#include "private_folder.h"

#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <exception>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <sys/syscall.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

extern char** environ;

namespace {

// ---- prepared at install, read in the signal context ----------------------

constexpr int kPathBytes = 4096;
char g_reportPath[kPathBytes];
char g_folder[kPathBytes];
char g_reporterPath[kPathBytes];
char g_restartPath[kPathBytes];
char g_program[64];     // the program's name, for the line on stderr
char g_header[2048];    // "Program: …\nVersion: …\n…" lines
char g_chromium[128];   // the Chromium version, once known
char g_reason[1024];    // set by the terminate handler before abort()
char* g_reporterArgv[8];
bool g_startReporter = false;
QString g_buildId;

// The handlers run on their own stack, so that a stack overflow still gets
// a report.
alignas(16) char g_alternateStack[256 * 1024];

const int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

std::atomic<int> g_entered{0};
std::atomic<bool> g_done{false};

void copyInto(char* target, std::size_t size, const QByteArray& bytes)
{
    const std::size_t n = qMin<std::size_t>(size - 1, static_cast<std::size_t>(bytes.size()));
    std::memcpy(target, bytes.constData(), n);
    target[n] = '\0';
}

// ---- async-signal-safe output ----------------------------------------------

class Out
{
public:
    explicit Out(int fd) : m_fd(fd) {}
    ~Out() { flush(); }
    void put(const char* text) { put(text, std::strlen(text)); }
    void put(const char* text, std::size_t length)
    {
        while (length > 0) {
            if (m_used == sizeof m_buffer)
                flush();
            const std::size_t n = qMin(length, sizeof m_buffer - m_used);
            std::memcpy(m_buffer + m_used, text, n);
            m_used += n;
            text += n;
            length -= n;
        }
    }
    void decimal(unsigned long long value, int width = 0)
    {
        char digits[24];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value > 0);
        while (n < width)
            digits[n++] = '0';
        while (n > 0)
            put(&digits[--n], 1);
    }
    void hex(unsigned long long value)
    {
        char digits[20];
        int n = 0;
        do {
            digits[n++] = "0123456789abcdef"[value & 0xF];
            value >>= 4;
        } while (value > 0);
        put("0x");
        while (n > 0)
            put(&digits[--n], 1);
    }
    void flush()
    {
        const char* data = m_buffer;
        while (m_used > 0) {
            const ssize_t n = ::write(m_fd, data, m_used);
            if (n <= 0)
                break;
            data += n;
            m_used -= static_cast<std::size_t>(n);
        }
        m_used = 0;
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
    char m_buffer[1024];
    std::size_t m_used = 0;
};

const char* signalName(int signal)
{
    switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
    }
}

// The date and time of now, UTC, as "2026-12-08T21:30:00Z".
void putTime(Out& out)
{
    struct timespec now;
    if (clock_gettime(CLOCK_REALTIME, &now) != 0) {
        out.put("unknown");
        return;
    }
    long long days = now.tv_sec / 86400;
    long long seconds = now.tv_sec % 86400;
    // Civil date from days since 1970-01-01 (Howard Hinnant's algorithm).
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = static_cast<long long>(yoe) + era * 400 + (month <= 2);
    out.decimal(static_cast<unsigned long long>(year), 4);
    out.put("-");
    out.decimal(month, 2);
    out.put("-");
    out.decimal(day, 2);
    out.put("T");
    out.decimal(static_cast<unsigned long long>(seconds / 3600), 2);
    out.put(":");
    out.decimal(static_cast<unsigned long long>(seconds / 60 % 60), 2);
    out.put(":");
    out.decimal(static_cast<unsigned long long>(seconds % 60), 2);
    out.put("Z");
}

// ---- /proc/self/maps, read without allocating -------------------------------

// Reads a file line by line through a fixed buffer; longer lines are cut.
class LineReader
{
public:
    explicit LineReader(const char* path) : m_fd(::open(path, O_RDONLY | O_CLOEXEC)) {}
    ~LineReader()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool next(char* line, std::size_t size)
    {
        std::size_t n = 0;
        bool any = false;
        for (;;) {
            if (m_at == m_end) {
                if (m_fd < 0)
                    break;
                const ssize_t got = ::read(m_fd, m_buffer, sizeof m_buffer);
                if (got <= 0)
                    break;
                m_at = 0;
                m_end = static_cast<std::size_t>(got);
            }
            const char c = m_buffer[m_at++];
            any = true;
            if (c == '\n')
                break;
            if (n + 1 < size)
                line[n++] = c;
        }
        line[n] = '\0';
        return any;
    }

private:
    int m_fd;
    char m_buffer[4096];
    std::size_t m_at = 0;
    std::size_t m_end = 0;
};

unsigned long long parseHex(const char*& p)
{
    unsigned long long value = 0;
    for (;; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9')
            value = value * 16 + static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            value = value * 16 + static_cast<unsigned>(c - 'a' + 10);
        else
            return value;
    }
}

struct Mapping
{
    unsigned long long start = 0;
    unsigned long long end = 0;
    unsigned long long offset = 0;
    bool executable = false;
    const char* path = ""; // points into the line
};

// "start-end perms offset dev inode   path"
bool parseMapping(const char* line, Mapping* m)
{
    const char* p = line;
    m->start = parseHex(p);
    if (*p++ != '-')
        return false;
    m->end = parseHex(p);
    if (*p++ != ' ')
        return false;
    if (std::strlen(p) < 5)
        return false;
    m->executable = p[2] == 'x';
    p += 4;
    if (*p++ != ' ')
        return false;
    m->offset = parseHex(p);
    // dev and inode, then spaces before the path
    for (int field = 0; field < 2; ++field) {
        while (*p == ' ')
            ++p;
        while (*p && *p != ' ')
            ++p;
    }
    while (*p == ' ')
        ++p;
    m->path = p;
    return true;
}

// ---- the crashing thread's stack --------------------------------------------

constexpr int kMaxFrames = 64;
void* g_frames[kMaxFrames];
char g_framePath[kMaxFrames][256];
unsigned long long g_frameOffset[kMaxFrames];

uintptr_t faultingInstruction(void* context)
{
    if (!context)
        return 0;
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__i386__)
    return static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_EIP]);
#elif defined(__aarch64__)
    return static_cast<uintptr_t>(uc->uc_mcontext.pc);
#else
    (void)uc;
    return 0;
#endif
}

// Finds the module of each frame: the offset is counted from the start of
// the module's first mapping (the one at file offset 0), which is how the
// reporter looks the address up in the module's file.
void resolveFrames(int count)
{
    for (int i = 0; i < count; ++i) {
        g_framePath[i][0] = '\0';
        g_frameOffset[i] = reinterpret_cast<uintptr_t>(g_frames[i]);
    }
    LineReader maps("/proc/self/maps");
    char line[512];
    char basePath[256] = "";
    unsigned long long base = 0;
    while (maps.next(line, sizeof line)) {
        Mapping m;
        if (!parseMapping(line, &m))
            continue;
        if (m.offset == 0 && m.path[0] == '/') {
            std::strncpy(basePath, m.path, sizeof basePath - 1);
            basePath[sizeof basePath - 1] = '\0';
            base = m.start;
        }
        for (int i = 0; i < count; ++i) {
            const auto address = static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(g_frames[i]));
            if (address < m.start || address >= m.end || m.path[0] != '/')
                continue;
            std::strncpy(g_framePath[i], m.path, sizeof g_framePath[i] - 1);
            g_framePath[i][sizeof g_framePath[i] - 1] = '\0';
            g_frameOffset[i] = std::strcmp(basePath, m.path) == 0 ? address - base : address - m.start + m.offset;
        }
    }
}

void writeStack(Out& out, void* context)
{
    int count = backtrace(g_frames, kMaxFrames);
    // The first frames are this handler's and the kernel's trampoline;
    // the stack of interest starts at the instruction that faulted.
    const uintptr_t pc = faultingInstruction(context);
    int first = 0;
    for (int i = 0; i < count; ++i) {
        if (reinterpret_cast<uintptr_t>(g_frames[i]) == pc) {
            first = i;
            break;
        }
    }
    if (first > 0) {
        std::memmove(g_frames, g_frames + first, sizeof(void*) * static_cast<std::size_t>(count - first));
        count -= first;
    } else if (pc != 0 && count > 0) {
        g_frames[0] = reinterpret_cast<void*>(pc);
    }
    resolveFrames(count);
    out.put("Stack of the crashing thread:\n");
    for (int i = 0; i < count; ++i) {
        out.put("#");
        out.decimal(static_cast<unsigned>(i));
        out.put(" ");
        out.hex(reinterpret_cast<uintptr_t>(g_frames[i]));
        out.put(" ");
        if (g_framePath[i][0]) {
            out.put(g_framePath[i]);
            out.put("+");
            out.hex(g_frameOffset[i]);
        } else {
            out.put("?");
        }
        out.put("\n");
    }
    out.put("\n");
}

// ---- threads and modules ----------------------------------------------------

struct LinuxDirent64
{
    unsigned long long ino;
    long long off;
    unsigned short reclen;
    unsigned char type;
    char name[1];
};

// Calls fn with the name of each entry of the open folder dir, read with
// getdents64 into a buffer on the stack (readdir may allocate).
template <typename Fn>
void forEachEntry(int dir, Fn fn)
{
    alignas(8) char buffer[4096];
    for (;;) {
        const long got = syscall(SYS_getdents64, dir, buffer, sizeof buffer);
        if (got <= 0)
            return;
        for (long at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer + at);
            at += entry->reclen;
            fn(entry->name);
        }
    }
}

void writeThreads(Out& out)
{
    out.put("Threads (id name; the crashing one is ");
    out.decimal(static_cast<unsigned long long>(syscall(SYS_gettid)));
    out.put("):\n");
    const int dir = ::open("/proc/self/task", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        out.put("(unreadable)\n\n");
        return;
    }
    int listed = 0;
    forEachEntry(dir, [&](const char* task) {
        if (task[0] < '0' || task[0] > '9' || ++listed > 200)
            return;
        char path[64] = "/proc/self/task/";
        std::strncat(path, task, 20);
        std::strcat(path, "/comm");
        char name[64] = "";
        LineReader comm(path);
        comm.next(name, sizeof name);
        out.put(task);
        out.put(" ");
        out.put(name);
        out.put("\n");
    });
    ::close(dir);
    out.put("\n");
}

void writeModules(Out& out)
{
    out.put("Modules (executable mappings):\n");
    LineReader maps("/proc/self/maps");
    char line[512];
    while (maps.next(line, sizeof line)) {
        Mapping m;
        if (parseMapping(line, &m) && m.executable && m.path[0] == '/') {
            out.put(line);
            out.put("\n");
        }
    }
    out.put("\n");
}

// ---- the report -------------------------------------------------------------

void writeReport(Out& out, int signal, const siginfo_t* info, void* context)
{
    out.put("Orvanta crash report\n");
    out.put(g_header);
    out.put("Chromium: ");
    out.put(g_chromium[0] ? g_chromium : "not started");
    out.put("\nTime: ");
    putTime(out);
    out.put("\nProcess: ");
    out.decimal(static_cast<unsigned long long>(getpid()));
    out.put("\nSignal: ");
    out.decimal(static_cast<unsigned>(signal));
    out.put(" ");
    out.put(signalName(signal));
    if (info) {
        out.put("\nCode: ");
        if (info->si_code < 0) {
            out.put("-");
            out.decimal(static_cast<unsigned>(-info->si_code));
        } else {
            out.decimal(static_cast<unsigned>(info->si_code));
        }
        // A signal a process sent (abort() among them) has no fault address.
        if (info->si_code <= 0) {
            out.put(" (sent by a process)");
        } else {
            out.put("\nAddress: ");
            out.hex(reinterpret_cast<uintptr_t>(info->si_addr));
        }
    }
    if (g_reason[0]) {
        out.put("\nReason: ");
        out.put(g_reason);
    }
    out.put("\n\n");
    writeStack(out, context);
    writeThreads(out);
    writeModules(out);
    out.put("Last log lines:\n");
    out.flush();
    LogRing::writeTo(out.fd());
}

// A name the handler gives its reports: "crash-<yyyyMMddTHHmmss>-<pid>.txt".
// Sorted by name they are sorted by the time their program started.
bool isReportName(const char* name)
{
    const std::size_t length = std::strlen(name);
    return length > std::strlen("crash-yyyyMMddTHHmmss-.txt") && length < 48 && std::strncmp(name, "crash-", 6) == 0
           && std::strcmp(name + length - 4, ".txt") == 0;
}

// Removes the oldest reports until at most keep are left, counting the
// one just written.
void pruneReports(int keep)
{
    for (int round = 0; round < 64; ++round) {
        const int dir = ::open(g_folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir < 0)
            return;
        char oldest[64] = "";
        int count = 0;
        forEachEntry(dir, [&](const char* name) {
            if (!isReportName(name))
                return;
            ++count;
            if (!oldest[0] || std::strcmp(name, oldest) < 0) {
                std::strncpy(oldest, name, sizeof oldest - 1);
                oldest[sizeof oldest - 1] = '\0';
            }
        });
        const bool removed = count > keep && oldest[0] && unlinkat(dir, oldest, 0) == 0;
        ::close(dir);
        if (!removed)
            return;
    }
}

void startReporter()
{
    if (!g_startReporter)
        return;
    // A raw fork: no atfork handlers, no locks of the crashed process taken.
    const long pid = syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
    if (pid == 0) {
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execve(g_reporterPath, g_reporterArgv, environ);
        _exit(127);
    }
}

void onSignal(int signal, siginfo_t* info, void* context)
{
    if (g_entered.fetch_add(1) == 0) {
        const int fd = ::open(g_reportPath, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
        {
            Out report(fd >= 0 ? fd : STDERR_FILENO);
            writeReport(report, signal, info, context);
        }
        Out err(STDERR_FILENO);
        if (fd >= 0) {
            ::close(fd);
            err.put(g_program);
            err.put(": crashed (");
            err.put(signalName(signal));
            err.put("); report: ");
            err.put(g_reportPath);
            err.put("\n");
            err.flush();
            pruneReports(CrashReports::kKeep);
            startReporter();
        }
        g_done.store(true);
    } else {
        // Another thread crashed too: let the first one finish its report.
        for (int i = 0; i < 100 && !g_done.load(); ++i) {
            struct timespec wait = {0, 50 * 1000 * 1000};
            nanosleep(&wait, nullptr);
        }
    }
    // The default action, with the same signal: the exit status and a core
    // dump are what they would have been without this handler. A fault
    // raised by an instruction happens again on return; one raised by a
    // call (abort) is pending and is delivered on return.
    struct sigaction original;
    std::memset(&original, 0, sizeof original);
    original.sa_handler = SIG_DFL;
    sigemptyset(&original.sa_mask);
    sigaction(signal, &original, nullptr);
    raise(signal);
}

// std::terminate: an uncaught exception (its type and text go into the
// report), a pure virtual call, a noexcept function that threw.
[[noreturn]] void onTerminate()
{
    QByteArray reason = "std::terminate without an active exception (a pure virtual call, say)";
    if (std::type_info* type = abi::__cxa_current_exception_type()) {
        int status = 0;
        char* demangled = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
        reason = QByteArray("uncaught exception of type ") + (status == 0 && demangled ? demangled : type->name());
        std::free(demangled);
        try {
            throw;
        } catch (const std::exception& e) {
            reason += QByteArray(": ") + QByteArray(e.what()).left(400).replace('\n', ' ');
        } catch (...) {
        }
    }
    copyInto(g_reason, sizeof g_reason, reason);
    std::abort();
}

int readBuildId(struct dl_phdr_info* info, size_t, void* data)
{
    auto* out = static_cast<QString*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_NOTE)
            continue;
        const char* at = reinterpret_cast<const char*>(info->dlpi_addr + header.p_vaddr);
        const char* end = at + header.p_memsz;
        while (at + sizeof(ElfW(Nhdr)) <= end) {
            const auto* note = reinterpret_cast<const ElfW(Nhdr)*>(at);
            const char* name = at + sizeof(ElfW(Nhdr));
            const char* desc = name + ((note->n_namesz + 3) & ~3u);
            if (desc + note->n_descsz > end)
                break;
            if (note->n_type == NT_GNU_BUILD_ID && note->n_namesz == 4 && std::memcmp(name, "GNU", 4) == 0) {
                *out = QString::fromLatin1(QByteArray(desc, static_cast<int>(note->n_descsz)).toHex());
                return 1;
            }
            at = desc + ((note->n_descsz + 3) & ~3u);
        }
    }
    return 1; // the first entry is the program itself; libraries are not asked
}

} // namespace

namespace CrashHandler {

CrashSetup setupFor(const AppLayout& layout, const QString& program, const QString& version, bool withReporter,
                    const QString& restartProgram)
{
    CrashSetup setup;
    setup.folder = CrashReports::folderFor(layout);
    setup.program = program;
    setup.version = version;
    if (withReporter && !layout.helperFolder.isEmpty())
        setup.reporter = QDir(layout.helperFolder).filePath(QStringLiteral("CrashReporter"));
    setup.restartProgram = restartProgram;
    return setup;
}

bool install(const CrashSetup& setup, QString* why)
{
    bool ok = true;
    g_buildId.clear();
    dl_iterate_phdr(readBuildId, &g_buildId);

    QByteArray header;
    header += "Program: " + setup.program.toUtf8() + '\n';
    header += "Version: " + setup.version.toUtf8() + '\n';
    header += "Build id: " + (g_buildId.isEmpty() ? QByteArray("none") : g_buildId.toLatin1()) + '\n';
    header += QByteArray("Qt: ") + qVersion() + '\n';
    copyInto(g_header, sizeof g_header, header);
    copyInto(g_program, sizeof g_program, setup.program.toUtf8());

    QString path;
    if (!setup.folder.isEmpty() && ensurePrivateFolder(setup.folder, why)) {
        CrashReports::prune(setup.folder, CrashReports::kKeep);
        path = QDir(setup.folder).filePath(CrashReports::nameForThisProcess());
        copyInto(g_folder, sizeof g_folder, QFile::encodeName(setup.folder));
    } else {
        ok = false;
        if (why && setup.folder.isEmpty())
            *why = QStringLiteral("no folder for crash reports");
    }
    // Without a folder the report goes to stderr.
    copyInto(g_reportPath, sizeof g_reportPath, QFile::encodeName(path.isEmpty() ? QStringLiteral("/nonexistent/") : path));

    g_startReporter = !setup.reporter.isEmpty() && !path.isEmpty();
    copyInto(g_reporterPath, sizeof g_reporterPath, QFile::encodeName(setup.reporter));
    copyInto(g_restartPath, sizeof g_restartPath, QFile::encodeName(setup.restartProgram));
    static char reportFlag[] = "--report";
    static char restartFlag[] = "--restart";
    static char annotateFlag[] = "--annotate";
    int n = 0;
    g_reporterArgv[n++] = g_reporterPath;
    g_reporterArgv[n++] = annotateFlag;
    g_reporterArgv[n++] = reportFlag;
    g_reporterArgv[n++] = g_reportPath;
    if (g_restartPath[0]) {
        g_reporterArgv[n++] = restartFlag;
        g_reporterArgv[n++] = g_restartPath;
    }
    g_reporterArgv[n] = nullptr;

    // backtrace() loads the unwinder on its first call; that must not
    // happen in the signal handler.
    void* warm[2];
    backtrace(warm, 2);

    stack_t stack;
    std::memset(&stack, 0, sizeof stack);
    stack.ss_sp = g_alternateStack;
    stack.ss_size = sizeof g_alternateStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = onSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals)
        sigaction(signal, &action, nullptr);
    std::set_terminate(onTerminate);
    return ok;
}

void setChromiumVersion(const QString& version)
{
    copyInto(g_chromium, sizeof g_chromium, version.toUtf8());
}

QString reportPath()
{
    return QFile::decodeName(g_reportPath);
}

QString buildId()
{
    return g_buildId;
}

} // namespace CrashHandler
