#include "Base/TcpClient.h"

#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/time.h>

#include "Base/Net.h"

namespace tsl {

namespace {
constexpr uint32_t kDefaultBufferSize = 1048576;
constexpr uint16_t kNoPort = 0xFFFF;

// Nothing thrown on the receive thread may end the process: a message whose
// delivery fails (out of memory) is dropped.
void Deliver(const TcpClient::MessageCallback& callback, const uint8_t* data, size_t length) {
    if (!callback) return;
    try {
        callback(std::vector<uint8_t>(data, data + length));
    } catch (...) {
    }
}
}  // namespace

struct TcpClient::Impl {
    MessageCallback onMessage;
    CloseCallback onClose;
    // `sendMutex` keeps sends one after another and is held for the whole of
    // one; `mutex` guards the socket pointer and is held only briefly. The
    // socket is closed only with both held, so never under a sender; Close
    // and the receive loop's end first shut it down with `mutex` alone, which
    // wakes a sender blocked on a full queue. Lock order: sendMutex, mutex.
    std::mutex sendMutex;
    mutable std::mutex mutex;
    std::unique_ptr<TcpSocket> socket;
    bool connectedOnce = false;
    std::string host;
    uint16_t port;
    std::string localAddress;
    std::atomic<uint16_t> localPort{kNoPort};
    bool framed = false;
    FramingConfig framing;
    int32_t sendTimeoutMs = 0;
    std::atomic<bool> running{false};
    // The destructor clears `reportClose` under this lock, so a close report
    // either finished before destruction began or never starts.
    std::mutex closeMutex;
    bool reportClose = true;
    std::thread thread;

    Impl(std::string h, uint16_t p) : host(std::move(h)), port(p) {}
};

TcpClient::TcpClient(std::string host, uint16_t port) : impl_(new Impl(std::move(host), port)) {}

TcpClient::~TcpClient() {
    {
        std::lock_guard<std::mutex> lock(impl_->closeMutex);
        impl_->reportClose = false;
    }
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        if (impl_->socket) impl_->socket->Interrupt();
    }
    if (impl_->thread.joinable()) {
        impl_->running = false;
        impl_->thread.join();
    }
    std::lock_guard<std::mutex> sendLock(impl_->sendMutex);
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->socket.reset();
}

void TcpClient::SetMessageCallback(MessageCallback cb) {
    impl_->onMessage = std::move(cb);
}

void TcpClient::SetCloseCallback(CloseCallback cb) {
    impl_->onClose = std::move(cb);
}

int TcpClient::SetFraming(const FramingConfig& config) {
    impl_->framing = config;
    impl_->framed = true;
    return 0;
}

void TcpClient::SetSendTimeout(int32_t ms) {
    impl_->sendTimeoutMs = ms;
}

int TcpClient::Connect(int32_t timeoutMs) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->socket || impl_->connectedOnce) return -1;
    std::optional<IPv4Address> address = IPv4Address::Parse(impl_->host);
    if (!address) return -1;
    std::unique_ptr<TcpSocket> socket = TcpSocket::Connect(Endpoint{*address, impl_->port}, timeoutMs);
    if (!socket) return -1;
    if (impl_->sendTimeoutMs > 0) {
        timeval limit{impl_->sendTimeoutMs / 1000, (impl_->sendTimeoutMs % 1000) * 1000};
        ::setsockopt(socket->Descriptor(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    }
    impl_->localAddress = socket->GetEndpoint().address.ToString();
    impl_->localPort = socket->GetEndpoint().port;
    impl_->socket = std::move(socket);
    impl_->connectedOnce = true;
    impl_->running = true;
    try {
        impl_->thread = std::thread([this] { ReceiveLoop(); });
    } catch (...) {
        impl_->running = false;
        impl_->socket.reset();
        impl_->localPort = kNoPort;
        throw;
    }
    return 0;
}

int TcpClient::Send(const void* data, size_t length) {
    std::lock_guard<std::mutex> sendLock(impl_->sendMutex);
    TcpSocket* socket;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        socket = impl_->socket.get();
    }
    // Safe without `mutex`: the socket is closed only under `sendMutex`.
    if (!socket) return -1;
    int sent = socket->SendAll(data, length);
    if (sent < 0) {
        // Part of a message may have gone out: the stream cannot recover.
        std::lock_guard<std::mutex> lock(impl_->mutex);
        if (impl_->socket) impl_->socket->Interrupt();
    }
    return sent;
}

int TcpClient::Close() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->socket) impl_->socket->Interrupt();
    return 0;
}

std::string TcpClient::GetLocalAddress() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->localAddress;
}

uint16_t TcpClient::GetLocalPort() const {
    return impl_->localPort;
}

void TcpClient::ReceiveLoop() {
    Impl& s = *impl_;
    // Only this thread releases the socket (or the destructor after joining
    // it), so the object outlives every receive below without the lock.
    TcpSocket* socket;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        socket = s.socket.get();
    }
    const FramingConfig& cfg = s.framing;
    const uint32_t bufferSize = cfg.bufferSize ? cfg.bufferSize : kDefaultBufferSize;
    // calloc: zero-filled as the framing expects, yet the pages of a 1 MiB
    // buffer become resident only when a message that large arrives.
    std::unique_ptr<uint8_t, void (*)(void*)> memory(static_cast<uint8_t*>(std::calloc(bufferSize, 1)),
                                                     std::free);
    uint8_t* const data = memory.get();  // none: the connection ends at once

    // A head that cannot hold its own length field (or the magic) is a
    // framing the loop cannot follow: it ends at once, like a bad stream.
    const size_t head = cfg.headerLength;
    const bool framingValid = cfg.lengthWidth >= 1 && cfg.lengthWidth <= 4 &&
                              size_t(cfg.lengthOffset) + cfg.lengthWidth <= head && head > 0 &&
                              head <= bufferSize && cfg.magic.size() <= head;

    size_t held = 0;
    while (data && s.running) {
        if (!s.framed) {
            int n = socket->Receive(data, bufferSize);
            if (n <= 0) break;
            Deliver(s.onMessage, data, static_cast<size_t>(n));
            continue;
        }
        if (!framingValid) break;
        if (held < head) {
            int n = socket->Receive(data + held, head - held);
            if (n <= 0) break;
            held += static_cast<size_t>(n);
            continue;
        }
        if (!cfg.magic.empty() && std::memcmp(data, cfg.magic.data(), cfg.magic.size()) != 0) break;
        uint64_t length = 0;
        for (uint16_t i = 0; i < cfg.lengthWidth; ++i)
            length |= uint64_t(data[cfg.lengthOffset + i]) << (8 * i);
        const uint64_t total = head + length;
        if (total > bufferSize) break;
        if (held < total) {
            int n = socket->Receive(data + held, static_cast<size_t>(total - held));
            if (n <= 0) break;
            held += static_cast<size_t>(n);
            continue;
        }
        Deliver(s.onMessage, data, static_cast<size_t>(total));
        held = 0;
    }
    s.running = false;

    // Released before the close is reported, so whoever hears of the close
    // finds the client ended: Send gives -1 and the local port is 0xFFFF.
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        socket->Interrupt();
    }
    {
        std::lock_guard<std::mutex> sendLock(s.sendMutex);
        std::lock_guard<std::mutex> lock(s.mutex);
        s.socket.reset();
        s.localPort = kNoPort;
    }
    std::lock_guard<std::mutex> lock(s.closeMutex);
    if (s.reportClose && s.onClose) s.onClose();
}

}  // namespace tsl
