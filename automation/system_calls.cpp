#include "system_calls.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

class LinuxSystemCalls : public SystemCalls
{
public:
    int open(const char* path, int flags) override { return ::open(path, flags); }
    int close(int fd) override { return ::close(fd); }
    int ioctl(int fd, unsigned long request, unsigned long value) override { return ::ioctl(fd, request, value); }
    int ioctlPointer(int fd, unsigned long request, void* data) override { return ::ioctl(fd, request, data); }
    ssize_t write(int fd, const void* data, size_t size) override { return ::write(fd, data, size); }
};

} // namespace

SystemCalls& SystemCalls::system()
{
    static LinuxSystemCalls calls;
    return calls;
}
