// The local IPv4 adapters.
#pragma once

#include <map>
#include <string>

namespace tsl {

// IPv4 address text -> MAC text ("%02x:%02x:%02x:%02x:%02x:%02x") of every
// interface that is up and running and not loopback, as it is now.
std::map<std::string, std::string> NetworkAdapters();

// The table taken when the library was loaded; it never changes afterwards,
// so it is read without a lock.
const std::map<std::string, std::string>& LocalAdapters();

}  // namespace tsl
