#include "platform/process_launcher.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Order {
    enum Kind : int { launchChild, endChild } kind;
    pid_t child;
    IsolationLimits limits;
};

struct Reply {
    pid_t child; // -1: none launched or ended
    bool endedByItself;
};

constexpr std::size_t channelCount = 2; // a child's requests and answers

// The launcher's life: an order, its reply, until the program closes its end.
[[noreturn]] void serveLaunches(int control, IsolatedWork work, ProcessLauncher::Prepare prepare);

} // namespace

ProcessLauncher::ProcessLauncher(IsolatedWork work, Prepare prepare) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) return;
    const pid_t between = fork();
    if (between == 0) {
        // The launcher's own parent leaves at once, so that it is not this program's child.
        if (fork() == 0) serveLaunches(pair[1], work, prepare);
        _exit(0);
    }
    close(pair[1]);
    if (between < 0) {
        close(pair[0]);
        return;
    }
    while (waitpid(between, nullptr, 0) < 0 && errno == EINTR) {
    }
    control = pair[0];
    owner = getpid();
}

ProcessLauncher::~ProcessLauncher() {
    if (control >= 0) close(control);
}

bool ProcessLauncher::ask(const void* order, std::size_t orderSize, void* reply,
                          std::size_t replySize, int* files) {
    // Orders from two processes on one channel would take each other's replies.
    if (getpid() != owner) return false;
    std::lock_guard<std::mutex> lock(turn);
    if (control < 0) return false;
    if (send(control, order, orderSize, MSG_NOSIGNAL) == static_cast<ssize_t>(orderSize) &&
        receiveWithFiles(control, reply, replySize, 0, files, channelCount) ==
            static_cast<ssize_t>(replySize))
        return true;
    // Gone: its children went with it, and later children are forked by the program itself.
    close(control);
    control = -1;
    return false;
}

bool ProcessLauncher::launch(const IsolationLimits& limits, pid_t& child, int& requests,
                             int& answers) {
    int files[channelCount];
    Reply reply{-1, false};
    const Order order{Order::launchChild, -1, limits};
    if (!ask(&order, sizeof order, &reply, sizeof reply, files)) return false;
    if (reply.child > 0 && files[0] >= 0 && files[1] >= 0) {
        child = reply.child;
        requests = files[0];
        answers = files[1];
        return true;
    }
    for (int file : files)
        if (file >= 0) close(file);
    if (reply.child > 0) end(reply.child);
    return false;
}

bool ProcessLauncher::end(pid_t child) {
    int files[channelCount];
    Reply reply{-1, false};
    const Order order{Order::endChild, child, IsolationLimits{}};
    if (!ask(&order, sizeof order, &reply, sizeof reply, files)) return true;
    for (int file : files)
        if (file >= 0) close(file);
    return reply.endedByItself;
}

namespace {

void serveLaunches(int control, IsolatedWork work, ProcessLauncher::Prepare prepare) {
    // Nothing of the program's but the one channel: no display connection, files or terminal.
    close_range(0, static_cast<unsigned>(control) - 1, 0);
    close_range(static_cast<unsigned>(control) + 1, ~0U, 0);
    if (prepare) prepare();
    std::vector<pid_t> children;
    Order order{};
    Reply reply{};
    while (recv(control, &order, sizeof order, 0) == static_cast<ssize_t>(sizeof order)) {
        reply = {-1, false};
        const auto known = std::find(children.begin(), children.end(), order.child);
        if (order.kind == Order::launchChild) {
            int channels[channelCount];
            reply.child = forkIsolatedChild(work, order.limits, channels[0], channels[1]);
            if (reply.child > 0) {
                children.push_back(reply.child);
                sendWithFiles(control, &reply, sizeof reply, channels, channelCount);
                close(channels[0]);
                close(channels[1]);
                continue;
            }
        } else if (order.kind == Order::endChild && known != children.end()) {
            reply = {order.child, endIsolatedChild(order.child)};
            children.erase(known);
        }
        send(control, &reply, sizeof reply, MSG_NOSIGNAL);
    }
    for (pid_t child : children)
        endIsolatedChild(child);
    // Straight to the kernel, as the children leave: nothing of the program's runs at exit.
    syscall(SYS_exit_group, 0);
    _exit(0);
}

} // namespace
