#pragma once

#include <cstddef>
#include <sys/types.h>

// The kernel calls the uinput device goes through, so that tests can stand
// in for the kernel. Each returns what the system call returns and sets
// errno as it does.
class SystemCalls
{
public:
    virtual ~SystemCalls() = default;
    virtual int open(const char* path, int flags) = 0;
    virtual int close(int fd) = 0;
    // ioctl with an integer argument (UI_SET_EVBIT, UI_DEV_CREATE, ...).
    virtual int ioctl(int fd, unsigned long request, unsigned long value) = 0;
    // ioctl with a structure argument (UI_DEV_SETUP, ...).
    virtual int ioctlPointer(int fd, unsigned long request, void* data) = 0;
    virtual ssize_t write(int fd, const void* data, size_t size) = 0;

    // The running system's calls.
    static SystemCalls& system();
};
