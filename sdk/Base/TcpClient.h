// One framed TCP connection with its own receive thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tsl {

class TcpSocket;

struct FramingConfig {
    std::vector<uint8_t> magic;  // compared with the head's first bytes; empty: no check
    uint32_t bufferSize = 0;     // largest accepted message; 0 means 1,048,576
    uint16_t headerLength = 0;
    uint16_t lengthOffset = 0;
    uint16_t lengthWidth = 4;  // 1 to 4 bytes, little-endian
};

class TcpClient {
  public:
    using MessageCallback = std::function<void(const std::vector<uint8_t>&)>;
    using CloseCallback = std::function<void()>;

    TcpClient(std::string host, uint16_t port);
    ~TcpClient();  // never calls the close callback; joins the receive thread
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    // Both are set before Connect and not changed while connected.
    void SetMessageCallback(MessageCallback cb);
    void SetCloseCallback(CloseCallback cb);
    int SetFraming(const FramingConfig& config);
    // A send that cannot complete within `ms` (> 0) fails and ends the
    // connection, whose stream would be out of step; set before Connect.
    void SetSendTimeout(int32_t ms);

    // Called on a sending thread when a write failed: the messages of other
    // threads queued behind it did not go out either (see Undelivered).
    void SetDropCallback(std::function<void()> cb);

    // 0, or -1 (not dotted IPv4, refused, timed out, already connected once).
    int Connect(int32_t timeoutMs);
    // Sends all bytes or fails: the byte count, or -1.
    int Send(const void* data, size_t length);
    // Hands one whole message over for sending and returns without waiting
    // for another thread's write: a ticket (1 and up), or -1 when it cannot go
    // out (no connection, an earlier write failed, too much queued, or it
    // failed while this thread wrote it). Messages leave in ticket order and
    // never interleave.
    int64_t Post(const void* data, size_t length);
    // True once it is certain that the message with `ticket` never went out.
    bool Undelivered(int64_t ticket) const;
    // Shuts the connection down; the receive thread ends and reports the close.
    int Close();

    std::string GetLocalAddress() const;
    uint16_t GetLocalPort() const;  // 0xFFFF when not connected

  private:
    void ReceiveLoop();
    bool WriteAll(const uint8_t* bytes, size_t length);
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tsl
