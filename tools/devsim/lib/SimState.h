// Inside of a SimDevice, shared by the files that implement it.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "DevSim.h"

namespace devsim {

struct SimDevice::State {
    mutable std::mutex mutex;
    uint32_t type = 0;
    std::string user;
    std::string password;
    Bytes loginInfo;
    std::map<uint32_t, CommandRule> rules;
    std::map<uint32_t, Handler> handlers;
    std::map<uint32_t, Fault> faults;
    std::atomic<bool> answerHeartbeat{true};
    std::map<std::string, std::map<Bytes, Bytes>> store;

    uint32_t nextUpgradeId = 1;
    std::vector<Upgrade> upgrades;
    std::vector<Bytes> exportData;
    std::optional<uint32_t> exportWrongIndex;
    std::vector<Bytes> imported;
};

// Result codes a device uses for requests it cannot take.
constexpr int32_t kResultBadCredentials = 7;
constexpr int32_t kResultInvalidCommand = 4;
constexpr int32_t kResultLengthMismatch = 5;
constexpr int32_t kResultInvalidParam = 6;
constexpr int32_t kResultNotFound = 8;

// Installed by the SimDevice constructor, in this order.
void AddCommonCommands(SimDevice& device);
void AddTransferHandlers(SimDevice& device);

}  // namespace devsim
