#pragma once

// A kernel for the hidraw transport's tests: nodes that can be present or
// gone, input reports queued for reading, answers for GET_FEATURE, and a
// record of every open and every SET_FEATURE, so that a test can prove that
// nothing was sent. A node may run a device model that answers each SET
// with an input report (a W1 mouse answers on report 9).
#include "hidraw_kernel.h"

#include <cerrno>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FakeHidrawKernel : public HidrawKernel
{
public:
    using Bytes = std::vector<unsigned char>;

    struct Node
    {
        bool present = true;
        std::deque<Bytes> inputs;
        std::map<unsigned char, Bytes> featureAnswers;
        std::function<void(const Bytes& frame, Node& node)> model;
    };

    void addNode(const std::string& path) { std::lock_guard<std::mutex> l(m); nodes[path]; }
    void setModel(const std::string& path, std::function<void(const Bytes&, Node&)> model)
    {
        std::lock_guard<std::mutex> l(m);
        nodes[path].model = std::move(model);
    }
    void queueInput(const std::string& path, const Bytes& report)
    {
        std::lock_guard<std::mutex> l(m);
        nodes[path].inputs.push_back(report);
    }
    void unplug(const std::string& path)
    {
        std::lock_guard<std::mutex> l(m);
        nodes[path].present = false;
    }
    std::vector<std::pair<std::string, Bytes>> sets() const
    {
        std::lock_guard<std::mutex> l(m);
        return setLog;
    }
    std::vector<std::pair<std::string, int>> opens() const
    {
        std::lock_guard<std::mutex> l(m);
        return openLog;
    }

    int open(const char* path, int flags) override
    {
        std::lock_guard<std::mutex> l(m);
        const auto it = nodes.find(path);
        if (it == nodes.end() || !it->second.present) {
            errno = ENOENT;
            return -1;
        }
        openLog.emplace_back(path, flags);
        fds[nextFd] = path;
        return nextFd++;
    }
    int close(int fd) override
    {
        std::lock_guard<std::mutex> l(m);
        return fds.erase(fd) ? 0 : -1;
    }
    int setFeature(int fd, const unsigned char* data, std::size_t length) override
    {
        std::lock_guard<std::mutex> l(m);
        Node* node = nodeOf(fd);
        if (!node) {
            errno = ENODEV;
            return -1;
        }
        const Bytes frame(data, data + length);
        setLog.emplace_back(fds[fd], frame);
        if (node->model)
            node->model(frame, *node);
        return static_cast<int>(length);
    }
    int getFeature(int fd, unsigned char* data, std::size_t length) override
    {
        std::lock_guard<std::mutex> l(m);
        Node* node = nodeOf(fd);
        if (!node || length == 0 || !node->featureAnswers.count(data[0])) {
            errno = EIO;
            return -1;
        }
        const Bytes& answer = node->featureAnswers[data[0]];
        const std::size_t n = std::min(length, answer.size());
        std::copy(answer.begin(), answer.begin() + static_cast<long>(n), data);
        return static_cast<int>(n);
    }
    ssize_t read(int fd, void* buffer, std::size_t length) override
    {
        std::lock_guard<std::mutex> l(m);
        Node* node = nodeOf(fd);
        if (!node) {
            errno = ENODEV;
            return -1;
        }
        if (node->inputs.empty()) {
            errno = EAGAIN;
            return -1;
        }
        const Bytes report = node->inputs.front();
        node->inputs.pop_front();
        const std::size_t n = std::min(length, report.size());
        std::copy(report.begin(), report.begin() + static_cast<long>(n), static_cast<unsigned char*>(buffer));
        return static_cast<ssize_t>(n);
    }
    int poll(struct pollfd* fds_, nfds_t count, int timeoutMs) override
    {
        int ready = 0;
        {
            std::lock_guard<std::mutex> l(m);
            for (nfds_t i = 0; i < count; ++i) {
                fds_[i].revents = 0;
                Node* node = nodeOf(fds_[i].fd);
                if (!node)
                    fds_[i].revents = POLLHUP;
                else if (!node->inputs.empty())
                    fds_[i].revents = POLLIN;
                ready += fds_[i].revents ? 1 : 0;
            }
        }
        if (!ready && timeoutMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(timeoutMs, 5)));
        return ready;
    }

private:
    Node* nodeOf(int fd)
    {
        const auto f = fds.find(fd);
        if (f == fds.end())
            return nullptr;
        Node& node = nodes[f->second];
        return node.present ? &node : nullptr;
    }

    mutable std::mutex m;
    std::map<std::string, Node> nodes;
    std::map<int, std::string> fds;
    int nextFd = 100;
    std::vector<std::pair<std::string, Bytes>> setLog;
    std::vector<std::pair<std::string, int>> openLog;
};
