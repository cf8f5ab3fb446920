#pragma once

#include <cstddef>
#include <poll.h>
#include <sys/types.h>

// The few kernel calls the hidraw transport makes, behind one interface so
// that tests run the transport against a fake kernel (no hidraw node can be
// made without uhid). Feature reports go through ioctl: byte 0 of the
// buffer is the report id, and a GET comes back starting with it.
class HidrawKernel
{
public:
    virtual ~HidrawKernel() = default;
    virtual int open(const char* path, int flags) = 0;
    virtual int close(int fd) = 0;
    // HIDIOCSFEATURE(length) / HIDIOCGFEATURE(length): the bytes written or
    // read, or -1 with errno.
    virtual int setFeature(int fd, const unsigned char* data, std::size_t length) = 0;
    virtual int getFeature(int fd, unsigned char* data, std::size_t length) = 0;
    virtual ssize_t read(int fd, void* buffer, std::size_t length) = 0;
    virtual int poll(struct pollfd* fds, nfds_t count, int timeoutMs) = 0;
};

// The real one: open(2), ioctl(2), read(2), poll(2), close(2).
HidrawKernel& linuxHidrawKernel();
