// SPDX-License-Identifier: GPL-3.0-or-later
#include "CrashReportWriter.h"

#include <QFile>
#include <QSysInfo>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int fatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP};
constexpr size_t alternateStackBytes = 256 * 1024;
constexpr int maximumFrames = 128;

// Filled at install, read by the handler only. Plain arrays: nothing in the handler allocates.
char g_directory[PATH_MAX];
char g_fixedFields[4096];
size_t g_fixedFieldsLength = 0;
// The first fatal signal writes the report; one that arrives while it is written (on any thread)
// only ends the process.
std::atomic<bool> g_handling{false};

// A small text builder over a fixed buffer; it truncates rather than overflows.
struct Text
{
    char *data;
    size_t capacity;
    size_t length = 0;

    void append(const char *text)
    {
        while (*text && length + 1 < capacity)
            data[length++] = *text++;
        data[length] = '\0';
    }
    void append(const char *text, size_t size)
    {
        for (size_t i = 0; i < size && length + 1 < capacity; ++i)
            data[length++] = text[i];
        data[length] = '\0';
    }
    void appendUnsigned(uint64_t value, unsigned base = 10, int minimumDigits = 1)
    {
        char digits[24];
        int count = 0;
        do {
            digits[count++] = "0123456789abcdef"[value % base];
            value /= base;
        } while (value != 0 && count < 24);
        while (count < minimumDigits && count < 24)
            digits[count++] = '0';
        while (count > 0 && length + 1 < capacity)
            data[length++] = digits[--count];
        data[length] = '\0';
    }
};

const char *signalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    case SIGTRAP:
        return "SIGTRAP";
    default:
        return "signal";
    }
}

// UTC calendar date from seconds since 1970 (Howard Hinnant's days-to-civil), because gmtime is
// not async-signal-safe.
void appendUtcTime(Text &text, int64_t seconds)
{
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    text.appendUnsigned(uint64_t(year), 10, 4);
    text.append("-");
    text.appendUnsigned(uint64_t(month), 10, 2);
    text.append("-");
    text.appendUnsigned(uint64_t(day), 10, 2);
    text.append("T");
    text.appendUnsigned(uint64_t(rest / 3600), 10, 2);
    text.append(":");
    text.appendUnsigned(uint64_t(rest / 60 % 60), 10, 2);
    text.append(":");
    text.appendUnsigned(uint64_t(rest % 60), 10, 2);
    text.append("Z");
}

void writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        size -= size_t(written);
    }
}

void writeReport(int signal, const siginfo_t *info)
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const pid_t pid = ::getpid();

    char finalPath[PATH_MAX + 64];
    Text name{finalPath, sizeof finalPath};
    name.append(g_directory);
    name.append("/crash-");
    name.appendUnsigned(uint64_t(now.tv_sec));
    name.append("-");
    name.appendUnsigned(uint64_t(pid));
    const size_t stemLength = name.length;
    name.append(".partial");
    char partialPath[PATH_MAX + 64];
    std::memcpy(partialPath, finalPath, name.length + 1);
    name.length = stemLength;
    name.append(".crash");

    const int fd = ::open(partialPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    ::fchmod(fd, 0600);

    char buffer[512];
    Text head{buffer, sizeof buffer};
    head.append("Kinolith crash report\nsignal: ");
    head.appendUnsigned(uint64_t(signal));
    head.append(" (");
    head.append(signalName(signal));
    head.append(")\ncode: ");
    head.appendUnsigned(uint64_t(uint32_t(info ? info->si_code : 0)));
    head.append("\naddress: 0x");
    head.appendUnsigned(uint64_t(uintptr_t(info ? info->si_addr : nullptr)), 16);
    head.append("\ntime: ");
    appendUtcTime(head, int64_t(now.tv_sec));
    head.append("\npid: ");
    head.appendUnsigned(uint64_t(pid));
    head.append("\n");
    writeAll(fd, head.data, head.length);
    writeAll(fd, g_fixedFields, g_fixedFieldsLength);

    static constexpr char backtraceHeading[] = "backtrace:\n";
    writeAll(fd, backtraceHeading, sizeof backtraceHeading - 1);
    void *frames[maximumFrames];
    const int count = ::backtrace(frames, maximumFrames);
    ::backtrace_symbols_fd(frames, count, fd);
    ::fsync(fd);
    ::close(fd);
    // Only a complete report carries the name the uploader looks for.
    ::rename(partialPath, finalPath);
}

void handleFatalSignal(int signal, siginfo_t *info, void *)
{
    const int savedErrno = errno;
    if (!g_handling.exchange(true))
        writeReport(signal, info);
    errno = savedErrno;
    // End the process the way the signal would have: default action, raised again. A fault
    // returns to the faulting instruction and raises it anew.
    struct sigaction defaultAction
    {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signal, &defaultAction, nullptr);
    if (info == nullptr || info->si_code <= 0)
        ::raise(signal);
}

} // namespace

QByteArray CrashReportWriter::fixedFields(const QString &version, const QString &build,
                                          bool withPii)
{
    // Field values are one line each: a line break in them cannot forge another field.
    const auto line = [](const char *key, const QString &value) {
        QString single = value;
        single.replace(u'\n', u' ').replace(u'\r', u' ');
        return QByteArray(key) + ": " + single.toUtf8() + '\n';
    };
    QByteArray fields = line("version", version) + line("build", build);
    if (withPii) {
        QString user;
        if (const passwd *entry = ::getpwuid(::getuid()))
            user = QString::fromLocal8Bit(entry->pw_name);
        fields += line("user", user);
        fields += line("host", QSysInfo::machineHostName());
    }
    return fields;
}

bool CrashReportWriter::install(const QString &directory, const QByteArray &fixedFields)
{
    const QByteArray native = QFile::encodeName(directory);
    if (native.size() + 64 >= qsizetype(sizeof g_directory) ||
        fixedFields.size() >= qsizetype(sizeof g_fixedFields))
        return false;
    std::memcpy(g_directory, native.constData(), size_t(native.size()) + 1);
    std::memcpy(g_fixedFields, fixedFields.constData(), size_t(fixedFields.size()));
    g_fixedFieldsLength = size_t(fixedFields.size());

    // backtrace() loads libgcc on its first call, which allocates: do it now, not in the handler.
    void *warmUp[4];
    ::backtrace(warmUp, 4);

    // The handler's own stack, so that a stack overflow can still be reported. It is never freed:
    // the handler may run until the process ends.
    void *stack = ::mmap(nullptr, alternateStackBytes, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (stack == MAP_FAILED)
        return false;
    stack_t alternate{};
    alternate.ss_sp = stack;
    alternate.ss_size = alternateStackBytes;
    if (::sigaltstack(&alternate, nullptr) != 0) {
        ::munmap(stack, alternateStackBytes);
        return false;
    }

    struct sigaction action
    {};
    action.sa_sigaction = handleFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    bool ok = true;
    for (const int signal : fatalSignals)
        ok = ::sigaction(signal, &action, nullptr) == 0 && ok;
    return ok;
}
