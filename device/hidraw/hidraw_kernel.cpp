#include "hidraw_kernel.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

class LinuxHidrawKernel final : public HidrawKernel
{
public:
    int open(const char* path, int flags) override { return ::open(path, flags | O_CLOEXEC); }
    int close(int fd) override { return ::close(fd); }
    int setFeature(int fd, const unsigned char* data, std::size_t length) override
    {
        return ::ioctl(fd, HIDIOCSFEATURE(length), data);
    }
    int getFeature(int fd, unsigned char* data, std::size_t length) override
    {
        return ::ioctl(fd, HIDIOCGFEATURE(length), data);
    }
    ssize_t read(int fd, void* buffer, std::size_t length) override { return ::read(fd, buffer, length); }
    int poll(struct pollfd* fds, nfds_t count, int timeoutMs) override { return ::poll(fds, count, timeoutMs); }
};

} // namespace

HidrawKernel& linuxHidrawKernel()
{
    static LinuxHidrawKernel kernel;
    return kernel;
}
