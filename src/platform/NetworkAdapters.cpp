#include "platform/NetworkAdapters.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include "common/VbError.h"

namespace platform {

namespace {

struct IfaddrsDeleter {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

struct Collected {
    unsigned index = 0;
    unsigned flags = 0;
    bool carriesIp = false;
    std::optional<std::string> hardwareAddress;
};

std::optional<std::string> HardwareAddressText(const sockaddr_ll& link) {
    // Only an Ethernet-style address names a machine; a zero one is a placeholder.
    if (link.sll_halen != 6) return std::nullopt;
    if (std::all_of(link.sll_addr, link.sll_addr + 6, [](unsigned char b) { return b == 0; })) return std::nullopt;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < 6; ++i) {
        if (i > 0) text += ':';
        text += kDigits[link.sll_addr[i] >> 4];
        text += kDigits[link.sll_addr[i] & 0x0F];
    }
    return text;
}

}  // namespace

std::vector<NetworkAdapter> EnabledNetworkAdapters() {
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0) {
        throw VbError(vberr::kProviderError, "getifaddrs", std::string("getifaddrs: ") + std::strerror(errno));
    }
    std::unique_ptr<ifaddrs, IfaddrsDeleter> list(raw);

    // getifaddrs lists one entry per interface and address family; gather them per name.
    std::map<std::string, Collected> byName;
    for (const ifaddrs* entry = list.get(); entry; entry = entry->ifa_next) {
        Collected& item = byName[entry->ifa_name];
        item.flags |= entry->ifa_flags;
        if (!entry->ifa_addr) continue;
        switch (entry->ifa_addr->sa_family) {
            case AF_INET:
            case AF_INET6:
                item.carriesIp = true;
                break;
            case AF_PACKET: {
                sockaddr_ll link;
                std::memcpy(&link, entry->ifa_addr, sizeof link);
                item.index = static_cast<unsigned>(link.sll_ifindex);
                item.hardwareAddress = HardwareAddressText(link);
                break;
            }
            default:
                break;
        }
    }

    std::vector<NetworkAdapter> adapters;
    for (auto& [name, item] : byName) {
        if (!(item.flags & IFF_UP) || (item.flags & IFF_LOOPBACK) || !item.carriesIp) continue;
        // An interface without a link-layer entry still has an index.
        const unsigned index = item.index != 0 ? item.index : if_nametoindex(name.c_str());
        adapters.push_back({index, name, std::move(item.hardwareAddress)});
    }
    std::sort(adapters.begin(), adapters.end(),
              [](const NetworkAdapter& a, const NetworkAdapter& b) { return a.index < b.index; });
    return adapters;
}

}  // namespace platform
