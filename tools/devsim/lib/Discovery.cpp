#include "Discovery.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <system_error>

namespace devsim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMacOffset = 156;
constexpr size_t kMacWidth = 20;
constexpr size_t kOversizedDatagram = 3000;
// Hundreds of replies leave in one burst; the queue must take them all.
constexpr int kSendBuffer = 4 << 20;

void PutText(Bytes& record, size_t offset, size_t width, const std::string& text) {
    // Always NUL-terminated within the field.
    std::memcpy(record.data() + offset, text.data(), std::min(text.size(), width - 1));
}

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// The search reply of a device, spoiled as it asks; the identity is patched
// in per request.
Bytes BuildSearchReply(const DiscoveryDevice& d) {
    Bytes record = SearchRecord(d);
    if (d.corruption == Corruption::MacWithoutNul) {
        std::string mac = d.mac;
        mac.resize(kMacWidth, 'x');
        std::memcpy(record.data() + kMacOffset, mac.data(), kMacWidth);
    }
    Bytes plain(4);
    PutU32(plain.data(), static_cast<uint32_t>(d.searchResult));
    plain.insert(plain.end(), record.begin(), record.end());
    if (d.corruption == Corruption::ShortRecord) plain.pop_back();

    Head head;
    head.type = d.type;
    head.cmd = kCmdSearch;
    Bytes msg = BuildMessage(head, plain);
    switch (d.corruption) {
        case Corruption::Truncate:
            msg.resize(std::min(d.truncateTo, msg.size()));
            break;
        case Corruption::LengthBeyond:
            PutU32(msg.data() + 18, GetU32(msg.data() + 18) + 10);
            break;
        case Corruption::HugeLength:
            PutU32(msg.data() + 18, 0xFFFFFFFFu);
            break;
        case Corruption::BadCipher:
            std::fill(msg.begin() + kHeadSize, msg.end(), '*');
            break;
        case Corruption::Oversized:
            msg.resize(kOversizedDatagram, 'A');
            PutU32(msg.data() + 18, static_cast<uint32_t>(kOversizedDatagram - kHeadSize));
            break;
        default:
            break;
    }
    return msg;
}

std::optional<Bytes> BuildSetupReply(const DiscoveryDevice& d, uint32_t identity) {
    Head head;
    head.type = d.type;
    head.cmd = kCmdNetworkSetup;
    head.identity = identity;
    Bytes result(4);
    PutU32(result.data(), static_cast<uint32_t>(d.setupResult));
    switch (d.setupAnswer) {
        case SetupAnswer::Silent:
            return std::nullopt;
        case SetupAnswer::Reply:
            return BuildMessage(head, result);
        case SetupAnswer::WrongCommand:
            head.cmd = kCmdNetworkSetup + 1;
            return BuildMessage(head, result);
        case SetupAnswer::Undecodable: {
            Bytes msg = BuildMessage(head, result);
            std::fill(msg.begin() + kHeadSize, msg.end(), '*');
            return msg;
        }
    }
    return std::nullopt;
}

}  // namespace

Bytes SearchRecord(const DiscoveryDevice& d) {
    Bytes r(kSearchRecordSize, 0);
    PutText(r, 0, 48, d.serial);
    PutText(r, 48, 32, d.name);
    PutText(r, 80, 32, d.typeName);
    PutText(r, 112, 40, d.firmware);
    PutU32(r.data() + 152, d.tcpPort);
    PutText(r, kMacOffset, kMacWidth, d.mac);
    PutText(r, 176, 16, d.ip);
    PutText(r, 192, 16, d.mask);
    PutText(r, 208, 16, d.gateway);
    r[224] = d.activated;
    PutText(r, 225, 16, d.client1);
    PutText(r, 241, 16, d.client2);
    PutText(r, 257, 16, d.hardware);
    PutU32(r.data() + 273, d.type);
    return r;
}

std::string SimMac(uint32_t index) {
    char text[18];
    std::snprintf(text, sizeof text, "02:5a:%02x:%02x:%02x:%02x", (index >> 24) & 0xFF, (index >> 16) & 0xFF,
                  (index >> 8) & 0xFF, index & 0xFF);
    return text;
}

std::vector<DiscoveryDevice> MakeDevices(size_t count, uint32_t type, uint32_t first) {
    std::vector<DiscoveryDevice> devices(count);
    for (size_t i = 0; i < count; ++i) {
        uint32_t index = first + static_cast<uint32_t>(i);
        char serial[24];
        std::snprintf(serial, sizeof serial, "SIM-%010u", index);
        devices[i].serial = serial;
        devices[i].mac = SimMac(index);
        devices[i].type = type;
    }
    return devices;
}

struct DiscoveryResponder::Impl {
    struct Prepared {
        DiscoveryDevice device;
        Bytes searchReply;
    };
    struct Pending {
        Bytes datagram;
        sockaddr_in to;
    };

    int fd = -1;
    int wake[2] = {-1, -1};
    uint16_t port = 0;

    mutable std::mutex mutex;
    mutable std::condition_variable sentChanged;
    std::vector<Prepared> devices;
    std::vector<SeenRequest> requests;
    size_t sent = 0;
    bool stopped = false;

    std::multimap<Clock::time_point, Pending> pending;  // receive thread only
    std::thread thread;

    void Loop();
    void Handle(const uint8_t* data, size_t n, const sockaddr_in& from);
    void Schedule(Clock::time_point due, Bytes datagram, const sockaddr_in& to);
    void SendTo(const Bytes& datagram, const sockaddr_in& to);
};

void DiscoveryResponder::Impl::Loop() {
    std::vector<uint8_t> buffer(65536);
    for (;;) {
        int timeout = -1;
        if (!pending.empty()) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(pending.begin()->first - Clock::now());
            timeout = static_cast<int>(std::max<int64_t>(0, left.count()));
        }
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake[0], POLLIN, 0}};
        int r = ::poll(fds, 2, timeout);
        if (r < 0 && errno != EINTR) return;
        if (r > 0 && fds[1].revents) return;
        if (r > 0 && fds[0].revents) {
            for (;;) {
                sockaddr_in from{};
                socklen_t len = sizeof from;
                ssize_t n = ::recvfrom(fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&from), &len);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) break;
                Handle(buffer.data(), static_cast<size_t>(n), from);
            }
        }
        const auto now = Clock::now();
        while (!pending.empty() && pending.begin()->first <= now) {
            SendTo(pending.begin()->second.datagram, pending.begin()->second.to);
            pending.erase(pending.begin());
        }
    }
}

void DiscoveryResponder::Impl::Handle(const uint8_t* data, size_t n, const sockaddr_in& from) {
    if (n < kHeadSize) return;
    SeenRequest seen;
    seen.head = GetHead(data);
    size_t text = std::min<size_t>(seen.head.length, n - kHeadSize);
    if (std::optional<Bytes> plain = Decipher(data + kHeadSize, text)) {
        seen.plain = std::move(*plain);
        seen.decoded = true;
    }
    char address[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &from.sin_addr, address, sizeof address);
    seen.from = address;

    const auto now = Clock::now();
    std::vector<std::pair<Clock::time_point, Bytes>> replies;
    {
        std::lock_guard<std::mutex> lock(mutex);
        requests.push_back(seen);
        for (const Prepared& p : devices) {
            const DiscoveryDevice& d = p.device;
            if (seen.head.cmd == kCmdSearch) {
                if (!d.answerSearch || (seen.head.type != 0 && seen.head.type != d.type)) continue;
                Bytes reply = p.searchReply;
                if (reply.size() >= kHeadSize) PutU32(reply.data() + 14, seen.head.identity);
                for (int i = 0; i < d.copies; ++i) replies.emplace_back(now + d.delay, reply);
            } else if (seen.head.cmd == kCmdNetworkSetup) {
                if (std::optional<Bytes> reply = BuildSetupReply(d, seen.head.identity))
                    replies.emplace_back(now + d.delay, std::move(*reply));
            }
        }
    }
    for (auto& reply : replies) Schedule(reply.first, std::move(reply.second), from);
}

void DiscoveryResponder::Impl::Schedule(Clock::time_point due, Bytes datagram, const sockaddr_in& to) {
    if (due <= Clock::now())
        SendTo(datagram, to);
    else
        pending.emplace(due, Pending{std::move(datagram), to});
}

void DiscoveryResponder::Impl::SendTo(const Bytes& datagram, const sockaddr_in& to) {
    ssize_t n;
    do {
        n = ::sendto(fd, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return;
    std::lock_guard<std::mutex> lock(mutex);
    ++sent;
    sentChanged.notify_all();
}

DiscoveryResponder::DiscoveryResponder(DiscoveryOptions options) : impl_(new Impl) {
    Impl& s = *impl_;
    s.fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s.fd < 0) Fail("discovery socket");
    auto cleanup = [&s] {
        ::close(s.fd);
        s.fd = -1;
    };
    int one = 1, size = kSendBuffer;
    ::setsockopt(s.fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::setsockopt(s.fd, SOL_SOCKET, SO_SNDBUFFORCE, &size, sizeof size) != 0)
        ::setsockopt(s.fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    if (!options.interface.empty() &&
        ::setsockopt(s.fd, SOL_SOCKET, SO_BINDTODEVICE, options.interface.c_str(),
                     static_cast<socklen_t>(options.interface.size())) != 0) {
        int err = errno;
        cleanup();
        errno = err;
        Fail("SO_BINDTODEVICE");
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(options.port);
    if (inet_pton(AF_INET, options.bindAddress.c_str(), &local.sin_addr) != 1) {
        cleanup();
        errno = EINVAL;
        Fail("discovery bind address");
    }
    if (::bind(s.fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        int err = errno;
        cleanup();
        errno = err;
        Fail("discovery bind");
    }
    socklen_t len = sizeof local;
    ::getsockname(s.fd, reinterpret_cast<sockaddr*>(&local), &len);
    s.port = ntohs(local.sin_port);
    if (::pipe2(s.wake, O_CLOEXEC) != 0) {
        int err = errno;
        cleanup();
        errno = err;
        Fail("discovery wake pipe");
    }
    s.thread = std::thread([&s] { s.Loop(); });
}

DiscoveryResponder::~DiscoveryResponder() {
    Stop();
}

void DiscoveryResponder::Stop() {
    Impl& s = *impl_;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.stopped) return;
        s.stopped = true;
    }
    char byte = 0;
    while (::write(s.wake[1], &byte, 1) < 0 && errno == EINTR) {
    }
    s.thread.join();
    ::close(s.fd);
    ::close(s.wake[0]);
    ::close(s.wake[1]);
    s.fd = s.wake[0] = s.wake[1] = -1;
}

uint16_t DiscoveryResponder::Port() const {
    return impl_->port;
}

void DiscoveryResponder::SetDevices(std::vector<DiscoveryDevice> devices) {
    std::vector<Impl::Prepared> prepared;
    prepared.reserve(devices.size());
    for (DiscoveryDevice& d : devices) {
        Bytes reply = BuildSearchReply(d);
        prepared.push_back(Impl::Prepared{std::move(d), std::move(reply)});
    }
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->devices = std::move(prepared);
}

void DiscoveryResponder::AddDevice(DiscoveryDevice device) {
    Bytes reply = BuildSearchReply(device);
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->devices.push_back(Impl::Prepared{std::move(device), std::move(reply)});
}

std::vector<SeenRequest> DiscoveryResponder::Requests() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->requests;
}

size_t DiscoveryResponder::RepliesSent() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->sent;
}

bool DiscoveryResponder::WaitForReplies(size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    return impl_->sentChanged.wait_for(lock, limit, [&] { return impl_->sent >= count; });
}

}  // namespace devsim
