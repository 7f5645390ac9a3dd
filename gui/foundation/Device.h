// The desktop program's record of one device: what the user entered, the
// login handle while it is logged in, its tree row and the tail of its last
// login reply.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class QStandardItem;

constexpr int kInfoBlockSize = 73;
constexpr int kInfoBlockOffset = 55;  // where the block starts in the 128-byte login reply
using InfoBlock = std::array<uint8_t, kInfoBlockSize>;

struct Device {
    std::string name;  // UTF-8; the registry key
    std::string ip;
    int32_t port = 0;
    int32_t type = 0;
    std::string username;
    std::string password;           // in clear: saved lists rely on it
    int32_t handle = 0;             // 0 while not logged in
    QStandardItem* item = nullptr;  // owned by the tree model; only dereferenced on the GUI thread
    InfoBlock infoBlock{};
};
