// For programs run by netns_run.sh: the check that this process is inside the
// wrapper's private namespace before anything broadcasts, and a way into the
// peer namespace where the simulated devices live.
#pragma once

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <future>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace netns {

inline std::string OwnNamespace() {
    char link[128];
    ssize_t n = readlink("/proc/self/ns/net", link, sizeof link - 1);
    if (n <= 0) return {};
    link[n] = '\0';
    return link;
}

// Empty when broadcasting is safe here; otherwise why it is not.
inline std::string BroadcastRefusal() {
    const char* outer = std::getenv("TSL_OUTER_NETNS");
    if (!outer || !*outer)
        return "TSL_OUTER_NETNS is not set: start this program through tests/netns/netns_run.sh";
    std::string own = OwnNamespace();
    if (own.empty()) return "cannot read /proc/self/ns/net";
    if (own == outer)
        return "this process is still in the network namespace it was started from (" + own + ")";

    std::set<std::string> allowed{"lo"};
    const char* made = std::getenv("TSL_NETNS_IFACES");
    std::istringstream names(made ? made : "");
    for (std::string name; names >> name;) {
        if (name.rfind("tslv", 0) != 0)
            return "TSL_NETNS_IFACES names a link the wrapper does not make: " + name;
        allowed.insert(name);
    }
    if (allowed.size() < 2) return "TSL_NETNS_IFACES is empty: no test links";

    struct if_nameindex* list = if_nameindex();
    if (!list) return std::string("cannot list interfaces: ") + std::strerror(errno);
    std::string problem;
    for (struct if_nameindex* i = list; i->if_index != 0; ++i)
        if (!allowed.count(i->if_name))
            problem = std::string("unexpected interface in this namespace: ") + i->if_name;
    if_freenameindex(list);
    return problem;
}

// Runs `f` on a thread of its own that has entered the peer namespace: the
// sockets `f` opens belong there for good, while this thread stays put.
template <class F>
auto InPeer(F f) -> decltype(f()) {
    std::packaged_task<decltype(f())()> task([&f] {
        const char* path = std::getenv("TSL_SIM_NETNS");
        if (!path || !*path) throw std::runtime_error("TSL_SIM_NETNS is not set");
        int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw std::runtime_error(std::string("cannot open the peer namespace: ") + std::strerror(errno));
        int r = setns(fd, CLONE_NEWNET);
        int err = errno;
        close(fd);
        if (r != 0)
            throw std::runtime_error(std::string("cannot enter the peer namespace: ") + std::strerror(err));
        return f();
    });
    auto result = task.get_future();
    std::thread(std::move(task)).join();
    return result.get();
}

}  // namespace netns
