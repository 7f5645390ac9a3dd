// A transmission device reporting to the monitoring centre, with its panel's maker set.
#include <cstring>

#include "Seeds.h"
#include "TslUit.h"
#include "UitServerInfo.h"

namespace {

void fill(devsim::SimDevice& d) {
    Np_UitServerInfo server{};
    server.serverNo = 0;
    server.enable = 1;
    std::strcpy(server.address, "172.16.20.15");
    server.port = 8600;
    d.PutRecord("uitServer", {}, shots::bytesOf(server));

    Np_UitManufInfo manuf{};
    manuf.manufacturer = 1;
    d.PutRecord("uitManuf", {}, shots::bytesOf(manuf));
}

const bool seeded =
    shots::addSeed({&UitServerInfo::staticMetaObject, {"serverGetButton", "manufGetButton"}, fill});

}  // namespace
