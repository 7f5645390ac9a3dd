#include "Base/TcpClient.h"

#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/time.h>

#include "Base/Net.h"

namespace tsl {

namespace {
constexpr uint32_t kDefaultBufferSize = 1048576;
constexpr uint16_t kNoPort = 0xFFFF;
// Bytes that may wait behind a write: far more than every thread's request
// at once, yet a peer that stops reading cannot make the queue grow without
// end.
constexpr size_t kQueueLimit = 4u << 20;

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
    // Whoever posts while nobody writes becomes the writer and sends what
    // the others queue meanwhile, all of it in one call, until the queue is
    // empty: many threads cost one system call per round and none of them
    // sleeps on another's write. `mutex` may be taken under `queueMutex`;
    // `sendMutex` never is.
    mutable std::mutex queueMutex;
    std::condition_variable queueWritten;
    std::vector<uint8_t> queued;
    bool writing = false;
    bool broken = false;  // a write failed: the stream is out of step
    int64_t posted = 0;   // tickets given
    int64_t written = 0;  // every ticket up to this one went out whole
    int blockedSenders = 0;
    std::function<void()> onDrop;
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

void TcpClient::SetDropCallback(std::function<void()> cb) {
    impl_->onDrop = std::move(cb);
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
    Impl& s = *impl_;
    const int64_t ticket = Post(data, length);
    if (ticket < 0) return -1;
    std::unique_lock<std::mutex> lock(s.queueMutex);
    ++s.blockedSenders;
    s.queueWritten.wait(lock, [&] { return s.written >= ticket || s.broken; });
    --s.blockedSenders;
    return s.written >= ticket ? static_cast<int>(length) : -1;
}

int64_t TcpClient::Post(const void* data, size_t length) {
    Impl& s = *impl_;
    if (length > static_cast<size_t>(INT_MAX)) return -1;
    std::unique_lock<std::mutex> lock(s.queueMutex);
    {
        std::lock_guard<std::mutex> socketLock(s.mutex);
        if (!s.socket) return -1;
    }
    if (s.broken || (!s.queued.empty() && s.queued.size() + length > kQueueLimit)) return -1;
    const auto* bytes = static_cast<const uint8_t*>(data);
    const int64_t ticket = ++s.posted;
    if (s.writing) {
        s.queued.insert(s.queued.end(), bytes, bytes + length);
        return ticket;
    }

    // The caller's own bytes go out from where they are; what others queue
    // meanwhile follows in rounds.
    s.writing = true;
    std::vector<uint8_t> batch;
    bool dropped = false;
    for (bool own = true; own || !s.queued.empty(); own = false) {
        if (!own) batch.swap(s.queued);
        const int64_t last = s.posted;
        lock.unlock();
        const bool ok = own ? WriteAll(bytes, length) : WriteAll(batch.data(), batch.size());
        batch.clear();
        lock.lock();
        if (!ok) {
            s.broken = true;
            s.queued.clear();
            dropped = true;
            break;
        }
        s.written = own ? ticket : last;
        if (s.blockedSenders) s.queueWritten.notify_all();
    }
    s.writing = false;
    if (dropped && s.blockedSenders) s.queueWritten.notify_all();
    const bool mine = s.written >= ticket;
    lock.unlock();
    if (dropped && s.onDrop) s.onDrop();
    return mine ? ticket : -1;
}

bool TcpClient::Undelivered(int64_t ticket) const {
    std::lock_guard<std::mutex> lock(impl_->queueMutex);
    return impl_->broken && ticket > impl_->written;
}

bool TcpClient::WriteAll(const uint8_t* bytes, size_t length) {
    std::lock_guard<std::mutex> sendLock(impl_->sendMutex);
    TcpSocket* socket;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        socket = impl_->socket.get();
    }
    // Safe without `mutex`: the socket is closed only under `sendMutex`.
    if (!socket) return false;
    if (socket->SendAll(bytes, length) >= 0) return true;
    // Part of a message may have gone out: the stream cannot recover.
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->socket) impl_->socket->Interrupt();
    return false;
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

    // Each receive takes whatever has arrived, so a burst of replies costs
    // one call; the messages in it are cut out and delivered one by one.
    // The bytes held start at `data + start`.
    size_t start = 0;
    size_t held = 0;
    while (data && s.running) {
        if (!s.framed) {
            int n = socket->Receive(data, bufferSize);
            if (n <= 0) break;
            Deliver(s.onMessage, data, static_cast<size_t>(n));
            continue;
        }
        if (!framingValid) break;
        bool malformed = false;
        while (held >= head && s.running) {
            const uint8_t* message = data + start;
            if (!cfg.magic.empty() && std::memcmp(message, cfg.magic.data(), cfg.magic.size()) != 0) {
                malformed = true;
                break;
            }
            uint64_t length = 0;
            for (uint16_t i = 0; i < cfg.lengthWidth; ++i)
                length |= uint64_t(message[cfg.lengthOffset + i]) << (8 * i);
            const uint64_t total = head + length;
            if (total > bufferSize) {
                malformed = true;
                break;
            }
            if (held < total) break;
            Deliver(s.onMessage, message, static_cast<size_t>(total));
            start += static_cast<size_t>(total);
            held -= static_cast<size_t>(total);
        }
        if (malformed || !s.running) break;
        // What is left is less than one message: moved to the front, so the
        // longest message still fits behind it.
        if (start > 0 && held > 0) std::memmove(data, data + start, held);
        start = 0;
        int n = socket->Receive(data + held, bufferSize - held);
        if (n <= 0) break;
        held += static_cast<size_t>(n);
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
