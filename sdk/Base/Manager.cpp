#include "Base/Manager.h"

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "Base/Codec.h"
#include "Base/ErrorText.h"
#include "Base/Logger.h"
#include "Base/MessageHead.h"
#include "Base/Net.h"
#include "Base/NetworkAdapters.h"

namespace tsl {

namespace {

constexpr uint16_t kDiscoveryPort = 7000;
constexpr uint32_t kCmdSearch = 1000;
constexpr uint32_t kCmdNetworkSetup = 1500;
constexpr auto kReplyWindow = std::chrono::milliseconds(300);
constexpr size_t kResultSize = 4;
// Room for a few thousand replies of 430 bytes: a search for many devices
// must not lose replies in the kernel while the window is open.
constexpr int kReceiveBuffer = 4 << 20;

// Decodes the payload of a reply in place behind its head. False for a
// datagram too short for a head, one whose length field claims more than
// arrived, or a payload that does not decode.
bool DecodeReply(uint8_t* area, int received, MessageHead* head, uint32_t* plain) {
    if (received < static_cast<int>(kHeadSize)) return false;
    *head = ReadHead(area);
    if (head->length > static_cast<uint32_t>(received) - kHeadSize) return false;
    return DecodePayload(area + kHeadSize, static_cast<int32_t>(head->length), area + kHeadSize, plain) == 0;
}

int32_t ReadResult(const uint8_t* area) {
    int32_t result;
    std::memcpy(&result, area + kHeadSize, sizeof result);
    return result;
}

std::mutex g_instanceMutex;
std::atomic<Manager*> g_instance{nullptr};
bool g_instanceStopped = false;

}  // namespace

bool DecodeSearchReply(uint8_t* area, int received, Np_SearchInfo* record) {
    MessageHead head;
    uint32_t plain = 0;
    if (!DecodeReply(area, received, &head, &plain)) return false;
    if (plain < kResultSize + sizeof(Np_SearchInfo) || ReadResult(area) != 0) return false;
    std::memcpy(record, area + kHeadSize + kResultSize, sizeof *record);
    return strnlen(record->mac, sizeof record->mac) < sizeof record->mac;
}

std::optional<int32_t> DecodeSetupReply(uint8_t* area, int received) {
    // Only a reply to this command decides; a stray search reply or a scrap
    // too short to name its command is passed over.
    if (received < static_cast<int>(kHeadSize) || ReadHead(area).cmd != kCmdNetworkSetup) return std::nullopt;
    MessageHead reply;
    uint32_t plain = 0;
    if (!DecodeReply(area, received, &reply, &plain) || plain < kResultSize) return ERR_RESPONSE_DECODE;
    int32_t code = ReadResult(area);
    return code == 0 ? ERR_SUCCESS : DeviceRefusal(code);
}

Manager::Manager(bool openSockets) {
    if (!openSockets) return;
    const Endpoint broadcast{IPv4Address{{255, 255, 255, 255}}, kDiscoveryPort};
    for (const auto& adapter : NetworkAdapters()) {
        std::optional<IPv4Address> address = IPv4Address::Parse(adapter.first);
        if (!address) continue;
        std::unique_ptr<UdpSocket> socket = UdpSocket::Create(Endpoint{*address, 0});
        if (!socket) continue;
        socket->SetBroadcast(true);
        socket->SetRemoteEndpoint(broadcast);
        socket->SetNonBlocking(true);
        socket->SetReceiveBuffer(kReceiveBuffer);
        sockets_.push_back(std::move(socket));
    }
}

Manager::~Manager() = default;

// Held by pointer so that the library's unload sequence decides when the
// sockets close, rather than the order of static destructors.
Manager& Manager::Instance() {
    if (Manager* manager = g_instance.load(std::memory_order_acquire)) return *manager;
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    if (!g_instance.load()) g_instance.store(new Manager(!g_instanceStopped), std::memory_order_release);
    return *g_instance.load();
}

void Manager::ShutdownInstance() {
    Manager* manager;
    {
        std::lock_guard<std::mutex> lock(g_instanceMutex);
        manager = g_instance.load();
        g_instanceStopped = true;
    }
    if (manager) manager->CloseSockets();
}

void Manager::CloseSockets() {
    std::lock_guard<std::mutex> lock(mutex_);
    sockets_.clear();
}

size_t Manager::SocketCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sockets_.size();
}

void Manager::Drain(Deadline deadline) {
    uint8_t area[kDatagramArea];
    for (auto& socket : sockets_)
        while (std::chrono::steady_clock::now() < deadline &&
               socket->ReceiveFrom(area, sizeof area, nullptr) >= 0) {
        }
}

template <class Take>
void Manager::Collect(Deadline deadline, Take&& take) {
    std::vector<pollfd> fds;
    for (auto& socket : sockets_) fds.push_back({socket->Descriptor(), POLLIN, 0});
    std::vector<uint8_t> area(kDatagramArea);
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= left.zero()) return;
        // Rounded up, so the last round does not spin.
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        if (poll(fds.data(), fds.size(), static_cast<int>(ms)) < 0 && errno != EINTR) return;
        // One datagram per socket and round: a busy socket starves no other,
        // and the deadline is looked at between rounds.
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & POLLIN)) continue;
            // A clean area for every datagram: nothing of an earlier, longer
            // one can pass for part of this one.
            std::fill(area.begin(), area.end(), 0);
            int received = sockets_[i]->ReceiveFrom(area.data(), area.size(), nullptr);
            if (received >= 0) take(i, area.data(), received);
        }
    }
}

std::vector<Np_SearchInfo> Manager::Search(uint32_t type) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Deadline deadline = std::chrono::steady_clock::now() + kReplyWindow;
    uint8_t request[kHeadSize];
    WriteHead(request, MakeHead(type, kCmdSearch, NextIdentity(IdentityModule::Discovery), 0));
    Drain(deadline);
    for (auto& socket : sockets_) socket->Send(request, sizeof request);

    std::map<std::string, Np_SearchInfo> found;
    Collect(deadline, [&](size_t, uint8_t* area, int received) {
        Np_SearchInfo record;
        if (!DecodeSearchReply(area, received, &record)) return;
        std::string mac(record.mac);
        LOG_INFO("mac:%s", mac.c_str());
        found[mac] = record;
    });

    std::vector<Np_SearchInfo> result;
    result.reserve(found.size());
    for (const auto& entry : found) result.push_back(entry.second);
    return result;
}

int32_t Manager::SetNetworkInfo(const Np_NetworkInfo& info) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Deadline deadline = std::chrono::steady_clock::now() + kReplyWindow;
    std::vector<uint8_t> request(kHeadSize + EncodedPayloadSize(sizeof info));
    MessageHead head = MakeHead(0, kCmdNetworkSetup, NextIdentity(IdentityModule::Discovery), sizeof info);
    std::memcpy(request.data() + kHeadSize, &info, sizeof info);
    // Through a local: the head is packed, its length field misaligned.
    uint32_t encoded = 0;
    if (EncodePayload(request.data() + kHeadSize, sizeof info, request.data() + kHeadSize, &encoded) != 0)
        return ERR_REQUEST_ENCODE;
    head.length = encoded;
    WriteHead(request.data(), head);
    const size_t requestSize = kHeadSize + head.length;

    Drain(deadline);
    for (auto& socket : sockets_) socket->Send(request.data(), requestSize);

    // The first socket, in order, with an answer to this command decides.
    std::vector<std::optional<int32_t>> outcome(sockets_.size());
    Collect(deadline, [&](size_t index, uint8_t* area, int received) {
        if (!outcome[index]) outcome[index] = DecodeSetupReply(area, received);
    });
    for (const auto& decided : outcome) {
        if (!decided) continue;
        if (*decided == ERR_RESPONSE_DECODE) LOG_ERROR("Decode payload error");
        return *decided;
    }
    return ERR_RESPONSE_TIMEOUT;
}

}  // namespace tsl
