// Thin IPv4 socket types over POSIX sockets.
#pragma once

#include <netinet/in.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tsl {

// Four octets in written order (network order in memory).
struct IPv4Address {
    std::array<uint8_t, 4> octets{};

    // Dotted decimal only, never a host name. Each of the four parts is a
    // decimal number with an optional leading "-" (only "-0" survives the
    // range check); characters after a part's digits and anything from a
    // fifth dot on are ignored. No blanks, no "+".
    static std::optional<IPv4Address> Parse(const std::string& text);
    std::string ToString() const;

    bool operator==(const IPv4Address& o) const { return octets == o.octets; }
    bool operator!=(const IPv4Address& o) const { return !(*this == o); }
};

struct Endpoint {
    IPv4Address address;
    uint16_t port = 0;  // host order

    sockaddr_in ToSockaddr() const;
    static Endpoint FromSockaddr(const sockaddr_in& sa);
};

// Owns one descriptor. Derived types close it in their destructors; the base
// only complains when it is left holding one.
class Socket {
  public:
    explicit Socket(int32_t fd = -1, Endpoint endpoint = {}) : fd_(fd), endpoint_(endpoint) {}
    ~Socket() { Release(); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int32_t Descriptor() const { return fd_; }
    const Endpoint& GetEndpoint() const { return endpoint_; }

    int SetNonBlocking(bool on);
    // Both directions down, then closed; 0.
    int Shutdown();
    // Both directions down, descriptor kept: a receive blocked in another
    // thread returns at once, and the descriptor number cannot be reused
    // under it. The owner closes later, exactly once.
    int Interrupt();
    void Close();
    void Release();

  protected:
    int32_t fd_;
    Endpoint endpoint_;
};

class UdpSocket : public Socket {
  public:
    // Bound to `local`, or none (the bind failure is printed to stderr).
    static std::unique_ptr<UdpSocket> Create(const Endpoint& local);
    ~UdpSocket() { Close(); }

    int Bind(const Endpoint& local);
    int SetBroadcast(bool on);
    int SetRemoteEndpoint(const Endpoint& remote);
    // Asks for at least `bytes` of kernel receive queue, past the system cap
    // where the process may; returns the size granted or -1.
    int SetReceiveBuffer(int bytes);

    // One datagram each; the byte count or -1 (EINTR is retried, EAGAIN on a
    // non-blocking socket is -1).
    int Send(const void* data, size_t length);
    int SendTo(const void* data, size_t length, const Endpoint& remote);
    int ReceiveFrom(void* buffer, size_t capacity, Endpoint* sender);

  private:
    explicit UdpSocket(int32_t fd) : Socket(fd) {}
};

class TcpSocket : public Socket {
  public:
    // Connected within `timeoutMs` (negative counts as 0), or none. The
    // endpoint is the local one.
    static std::unique_ptr<TcpSocket> Connect(const Endpoint& remote, int32_t timeoutMs);
    ~TcpSocket() { Close(); }

    // One call each (EINTR retried); the byte count or -1.
    int Receive(void* buffer, size_t capacity);
    int Send(const void* data, size_t length);
    // Loops over short sends; the whole length or -1.
    int SendAll(const void* data, size_t length);

  private:
    explicit TcpSocket(int32_t fd) : Socket(fd) {}
};

}  // namespace tsl
