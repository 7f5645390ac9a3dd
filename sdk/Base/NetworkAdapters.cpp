#include "Base/NetworkAdapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstdio>

namespace tsl {

namespace {

// An alias label such as "eth0:1" shares the link of "eth0".
std::string LinkName(const char* name) {
    std::string link(name ? name : "");
    size_t colon = link.find(':');
    if (colon != std::string::npos) link.resize(colon);
    return link;
}

}  // namespace

std::map<std::string, std::string> NetworkAdapters() {
    std::map<std::string, std::string> result;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return result;

    std::map<std::string, std::string> macs;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_PACKET) continue;
        const auto* ll = reinterpret_cast<const sockaddr_ll*>(a->ifa_addr);
        if (ll->sll_halen < 6) continue;
        char mac[18];
        std::snprintf(mac, sizeof mac, "%02x:%02x:%02x:%02x:%02x:%02x", ll->sll_addr[0], ll->sll_addr[1],
                      ll->sll_addr[2], ll->sll_addr[3], ll->sll_addr[4], ll->sll_addr[5]);
        macs[LinkName(a->ifa_name)] = mac;
    }

    const unsigned wanted = IFF_UP | IFF_RUNNING;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        if ((a->ifa_flags & wanted) != wanted || (a->ifa_flags & IFF_LOOPBACK)) continue;
        char text[INET_ADDRSTRLEN];
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
        if (!inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) continue;
        // A link without a hardware address (a tunnel) reads as all zeros.
        auto mac = macs.find(LinkName(a->ifa_name));
        result[text] = mac != macs.end() ? mac->second : "00:00:00:00:00:00";
    }
    freeifaddrs(list);
    return result;
}

const std::map<std::string, std::string>& LocalAdapters() {
    static const std::map<std::string, std::string> adapters = NetworkAdapters();
    return adapters;
}

namespace {
// Taken while the library loads, before any caller thread can ask.
const bool g_adaptersTaken = (LocalAdapters(), true);
}  // namespace

}  // namespace tsl
