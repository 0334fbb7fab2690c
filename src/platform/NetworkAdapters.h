#pragma once
#include <optional>
#include <string>
#include <vector>

// The computer's network adapters that are in use for IP: what the program reads to
// identify the machine it runs on.
namespace platform {

struct NetworkAdapter {
    unsigned index = 0;  // the kernel's interface index
    std::string name;
    // Six bytes as upper-case hexadecimal pairs joined by ":" (00:A0:C9:12:34:56); none when
    // the interface has no such address (tunnels, point-to-point links) or it is all zeros.
    std::optional<std::string> hardwareAddress;
};

// Interfaces that are up, are not the loopback and carry at least one IPv4 or IPv6
// address, in interface-index order. Raises VbError when the list cannot be read.
std::vector<NetworkAdapter> EnabledNetworkAdapters();

}  // namespace platform
