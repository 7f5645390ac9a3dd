#include "Base/Net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>

namespace tsl {

namespace {

// One dotted part, read like a signed 32-bit decimal: optional "-", then
// digits; whatever follows the digits is ignored. Overflow and every value
// outside 0 to 255 fail alike, so reading stops as soon as it passes 255.
bool ParseOctet(const std::string& part, uint8_t* out) {
    size_t i = 0;
    bool negative = i < part.size() && part[i] == '-';
    if (negative) ++i;
    uint32_t value = 0;
    size_t digits = 0;
    for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i, ++digits) {
        value = value * 10 + static_cast<uint32_t>(part[i] - '0');
        if (value > 255) return false;
    }
    if (digits == 0 || (negative && value != 0)) return false;
    *out = static_cast<uint8_t>(value);
    return true;
}

}  // namespace

std::optional<IPv4Address> IPv4Address::Parse(const std::string& text) {
    IPv4Address address;
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        size_t dot = text.find('.', start);
        if (i < 3 && dot == std::string::npos) return std::nullopt;
        std::string part = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (!ParseOctet(part, &address.octets[static_cast<size_t>(i)])) return std::nullopt;
        start = dot + 1;
    }
    return address;
}

std::string IPv4Address::ToString() const {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
    return text;
}

sockaddr_in Endpoint::ToSockaddr() const {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    std::memcpy(&sa.sin_addr, address.octets.data(), 4);
    return sa;
}

Endpoint Endpoint::FromSockaddr(const sockaddr_in& sa) {
    Endpoint e;
    std::memcpy(e.address.octets.data(), &sa.sin_addr, 4);
    e.port = ntohs(sa.sin_port);
    return e;
}

int Socket::SetNonBlocking(bool on) {
    if (fd_ < 0) return -1;
    int flags = fcntl(fd_, F_GETFL, 0);
    if (flags < 0) return -1;
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return fcntl(fd_, F_SETFL, flags) < 0 ? -1 : 0;
}

int Socket::Shutdown() {
    Interrupt();
    Close();
    return 0;
}

int Socket::Interrupt() {
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
    return 0;
}

void Socket::Close() {
    if (fd_ < 0) return;
    // Not retried on EINTR: on Linux the descriptor is gone either way.
    ::close(fd_);
    fd_ = -1;
}

void Socket::Release() {
    if (fd_ < 0) return;
    std::printf(
        "Socket with descriptor %d has been released by the base class. Please adhere to RAII "
        "principles.\n",
        fd_);
    std::fflush(stdout);
    Close();
}

std::unique_ptr<UdpSocket> UdpSocket::Create(const Endpoint& local) {
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    std::unique_ptr<UdpSocket> s(new UdpSocket(fd));
    if (s->Bind(local) != 0) return nullptr;
    return s;
}

int UdpSocket::Bind(const Endpoint& local) {
    if (fd_ < 0) {
        std::fputs("Socket is not created.\n", stderr);
        return -1;
    }
    sockaddr_in sa = local.ToSockaddr();
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        int err = errno;
        std::fprintf(stderr, "Bind failed: %s\n", std::strerror(err));
        return -1;
    }
    return 0;
}

int UdpSocket::SetBroadcast(bool on) {
    int value = on ? 1 : 0;
    return ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) == 0 ? 0 : -1;
}

int UdpSocket::SetRemoteEndpoint(const Endpoint& remote) {
    endpoint_ = remote;
    return 0;
}

int UdpSocket::SetReceiveBuffer(int bytes) {
    if (fd_ < 0) return -1;
    // The forcing option ignores net.core.rmem_max but needs CAP_NET_ADMIN.
    if (::setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0 &&
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) != 0)
        return -1;
    int granted = 0;
    socklen_t len = sizeof granted;
    if (::getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &granted, &len) != 0) return -1;
    return granted;
}

int UdpSocket::Send(const void* data, size_t length) {
    return SendTo(data, length, endpoint_);
}

int UdpSocket::SendTo(const void* data, size_t length, const Endpoint& remote) {
    if (fd_ < 0) return -1;
    sockaddr_in sa = remote.ToSockaddr();
    ssize_t n;
    do {
        n = ::sendto(fd_, data, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int UdpSocket::ReceiveFrom(void* buffer, size_t capacity, Endpoint* sender) {
    if (fd_ < 0) return -1;
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    ssize_t n;
    do {
        n = ::recvfrom(fd_, buffer, capacity, 0, reinterpret_cast<sockaddr*>(&sa), &len);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return -1;
    if (sender) *sender = Endpoint::FromSockaddr(sa);
    return static_cast<int>(n);
}

std::unique_ptr<TcpSocket> TcpSocket::Connect(const Endpoint& remote, int32_t timeoutMs) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    std::unique_ptr<TcpSocket> s(new TcpSocket(fd));
    if (s->SetNonBlocking(true) != 0) return nullptr;

    sockaddr_in sa = remote.ToSockaddr();
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        // EINTR leaves the connect running in the background, like EINPROGRESS.
        if (errno != EINPROGRESS && errno != EINTR) return nullptr;
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
        for (;;) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd p{fd, POLLOUT, 0};
            int r = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
            if (r > 0) break;
            if (r == 0 || errno != EINTR) return nullptr;
        }
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) return nullptr;
    }
    if (s->SetNonBlocking(false) != 0) return nullptr;
    // Requests of several threads go out back to back; none may wait for the
    // previous one's acknowledgement.
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in local{};
    socklen_t len = sizeof local;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &len) != 0) return nullptr;
    s->endpoint_ = Endpoint::FromSockaddr(local);
    return s;
}

int TcpSocket::Receive(void* buffer, size_t capacity) {
    if (fd_ < 0) return -1;
    ssize_t n;
    do {
        n = ::recv(fd_, buffer, capacity, 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int TcpSocket::Send(const void* data, size_t length) {
    if (fd_ < 0) return -1;
    ssize_t n;
    do {
        n = ::send(fd_, data, length, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int TcpSocket::SendAll(const void* data, size_t length) {
    if (length > static_cast<size_t>(INT_MAX)) return -1;
    const auto* p = static_cast<const uint8_t*>(data);
    size_t sent = 0;
    while (sent < length) {
        int n = Send(p + sent, length - sent);
        if (n <= 0) return -1;
        sent += static_cast<size_t>(n);
    }
    return static_cast<int>(length);
}

}  // namespace tsl
