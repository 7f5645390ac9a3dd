#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <stdexcept>
#include <thread>

#include "DevSim.h"

namespace devsim {

namespace {

// Largest message a connection takes, head included; the same bound as the
// SDK's receive buffer.
constexpr uint64_t kMaxMessage = 1 << 20;
constexpr size_t kReadChunk = 64 * 1024;
constexpr auto kPiecePause = std::chrono::milliseconds(1);

bool SendAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t k = ::send(fd, p, n, MSG_NOSIGNAL);
        if (k < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += k;
        n -= static_cast<size_t>(k);
    }
    return true;
}

// The first cuts fall inside the head and inside its length field, where a
// receiver that assumes whole reads breaks; the rest goes in at most 8 pieces.
std::vector<size_t> PieceSizes(size_t n) {
    static const size_t kHeadPieces[] = {1, 4, 8, 6, 3};
    std::vector<size_t> out;
    size_t left = n;
    for (size_t s : kHeadPieces) {
        if (left == 0) break;
        size_t k = std::min(s, left);
        out.push_back(k);
        left -= k;
    }
    if (left > 0) {
        size_t each = (left + 7) / 8;
        while (left > 0) {
            size_t k = std::min(each, left);
            out.push_back(k);
            left -= k;
        }
    }
    return out;
}

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

namespace {

struct Conn {
    int fd = -1;
    int index = 0;
    std::mutex writeMutex;  // serialises writes; held while closing
    std::mutex fdMutex;     // guards the two flags; never held across a send
    bool shut = false;
    bool closed = false;
    std::atomic<bool> done{false};
    std::thread thread;

    void Write(const Bytes& bytes, bool fragmented) {
        std::lock_guard<std::mutex> lock(writeMutex);
        if (closed || bytes.empty()) return;  // `closed` changes only under writeMutex too
        if (!fragmented) {
            SendAll(fd, bytes.data(), bytes.size());
            return;
        }
        size_t at = 0;
        for (size_t piece : PieceSizes(bytes.size())) {
            if (at > 0) std::this_thread::sleep_for(kPiecePause);
            if (!SendAll(fd, bytes.data() + at, piece)) return;
            at += piece;
        }
    }

    // Wakes the reader, which then closes the descriptor, and any blocked writer.
    void Shutdown() {
        std::lock_guard<std::mutex> lock(fdMutex);
        if (closed || shut) return;
        ::shutdown(fd, SHUT_RDWR);
        shut = true;
    }

    void Close() {
        std::lock_guard<std::mutex> write(writeMutex);
        std::lock_guard<std::mutex> lock(fdMutex);
        if (closed) return;
        ::close(fd);
        closed = true;
    }
};

}  // namespace

struct SimServer::Impl {
    std::shared_ptr<SimDevice> device;
    int listenFd = -1;
    int wakeFd = -1;
    uint16_t port = 0;
    std::thread acceptor;
    std::atomic<bool> stopped{false};

    mutable std::mutex connsMutex;
    std::vector<std::shared_ptr<Conn>> conns;
    std::atomic<size_t> accepted{0};

    mutable std::mutex logMutex;
    std::condition_variable logCv;
    std::vector<Request> log;
    std::atomic<bool> recording{true};

    using Clock = std::chrono::steady_clock;
    std::mutex delayMutex;
    std::condition_variable delayCv;
    std::multimap<Clock::time_point, std::pair<std::weak_ptr<Conn>, Answer>> delayed;
    bool delayStop = false;
    std::thread delayer;

    void AcceptLoop();
    void ReadLoop(std::shared_ptr<Conn> conn);
    bool Process(const std::shared_ptr<Conn>& conn, const Head& head, const uint8_t* text);
    void DelayLoop();
    void Record(Request request);
    void Reap();  // with connsMutex held
    std::vector<std::shared_ptr<Conn>> Open() const;
    void CloseAll();
};

void SimServer::Impl::Reap() {
    for (auto it = conns.begin(); it != conns.end();) {
        if ((*it)->done.load()) {
            (*it)->thread.join();
            it = conns.erase(it);
        } else {
            ++it;
        }
    }
}

std::vector<std::shared_ptr<Conn>> SimServer::Impl::Open() const {
    std::lock_guard<std::mutex> lock(connsMutex);
    std::vector<std::shared_ptr<Conn>> out;
    for (const auto& c : conns)
        if (!c->done.load()) out.push_back(c);
    return out;
}

void SimServer::Impl::AcceptLoop() {
    for (;;) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno != EINTR && errno != EAGAIN && errno != ECONNABORTED)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));  // out of descriptors
            continue;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto conn = std::make_shared<Conn>();
        conn->fd = fd;
        conn->index = static_cast<int>(accepted.fetch_add(1));
        std::lock_guard<std::mutex> lock(connsMutex);
        Reap();
        conn->thread = std::thread(&Impl::ReadLoop, this, conn);
        conns.push_back(std::move(conn));
    }
}

void SimServer::Impl::ReadLoop(std::shared_ptr<Conn> conn) {
    Bytes buf(kReadChunk);
    size_t start = 0, end = 0;
    for (;;) {
        size_t need = kHeadSize;
        bool keep = true;
        while (end - start >= kHeadSize) {
            Head head = GetHead(buf.data() + start);
            uint64_t total = kHeadSize + uint64_t(head.length);
            if (total > kMaxMessage) {
                keep = false;
                break;
            }
            if (end - start < total) {
                need = static_cast<size_t>(total);
                break;
            }
            keep = Process(conn, head, buf.data() + start + kHeadSize);
            start += static_cast<size_t>(total);
            if (!keep) break;
        }
        if (!keep) break;
        if (start == end) {
            start = end = 0;
        } else if (start > 0) {
            std::memmove(buf.data(), buf.data() + start, end - start);
            end -= start;
            start = 0;
        }
        if (buf.size() < need) buf.resize(need);
        if (end == buf.size()) buf.resize(buf.size() + kReadChunk);
        ssize_t n = ::recv(conn->fd, buf.data() + end, buf.size() - end, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        end += static_cast<size_t>(n);
    }
    conn->Close();
    conn->done.store(true);
}

bool SimServer::Impl::Process(const std::shared_ptr<Conn>& conn, const Head& head, const uint8_t* text) {
    Request request;
    request.head = head;
    request.connection = conn->index;
    if (auto plain = Decipher(text, head.length))
        request.plain = std::move(*plain);
    else
        request.decoded = false;
    if (!request.decoded) {
        Record(std::move(request));
        return true;
    }
    Record(request);

    Answer answer = device->Respond(request);
    if (answer.delay.count() > 0) {
        {
            std::lock_guard<std::mutex> lock(delayMutex);
            delayed.emplace(Clock::now() + answer.delay, std::make_pair(conn, std::move(answer)));
        }
        delayCv.notify_all();
        return true;
    }
    conn->Write(answer.bytes, answer.fragmented);
    return !answer.close;
}

void SimServer::Impl::DelayLoop() {
    std::unique_lock<std::mutex> lock(delayMutex);
    while (!delayStop) {
        if (delayed.empty()) {
            delayCv.wait(lock);
            continue;
        }
        auto due = delayed.begin()->first;
        if (Clock::now() < due) {
            delayCv.wait_until(lock, due);
            continue;
        }
        auto item = std::move(delayed.begin()->second);
        delayed.erase(delayed.begin());
        lock.unlock();
        if (auto conn = item.first.lock()) {
            conn->Write(item.second.bytes, item.second.fragmented);
            if (item.second.close) conn->Shutdown();
        }
        lock.lock();
    }
}

void SimServer::Impl::Record(Request request) {
    if (!recording.load()) return;
    {
        std::lock_guard<std::mutex> lock(logMutex);
        log.push_back(std::move(request));
    }
    logCv.notify_all();
}

void SimServer::Impl::CloseAll() {
    std::vector<std::shared_ptr<Conn>> mine;
    {
        std::lock_guard<std::mutex> lock(connsMutex);
        mine.swap(conns);
    }
    for (auto& c : mine) c->Shutdown();
    std::vector<std::shared_ptr<Conn>> self;  // called from a handler: joined later
    for (auto& c : mine) {
        if (c->thread.get_id() == std::this_thread::get_id())
            self.push_back(c);
        else
            c->thread.join();
    }
    if (!self.empty()) {
        std::lock_guard<std::mutex> lock(connsMutex);
        conns.insert(conns.end(), self.begin(), self.end());
    }
}

SimServer::SimServer(std::shared_ptr<SimDevice> device, uint16_t port) : impl_(std::make_unique<Impl>()) {
    impl_->device = std::move(device);
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) Fail("socket");
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || ::listen(fd, SOMAXCONN) < 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) < 0) {
        int e = errno;
        ::close(fd);
        errno = e;
        Fail("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    int wake = ::eventfd(0, EFD_CLOEXEC);
    if (wake < 0) {
        ::close(fd);
        Fail("eventfd");
    }
    impl_->listenFd = fd;
    impl_->wakeFd = wake;
    impl_->port = ntohs(addr.sin_port);
    impl_->delayer = std::thread(&Impl::DelayLoop, impl_.get());
    impl_->acceptor = std::thread(&Impl::AcceptLoop, impl_.get());
}

SimServer::~SimServer() {
    Stop();
}

uint16_t SimServer::Port() const {
    return impl_->port;
}

std::shared_ptr<SimDevice> SimServer::Device() const {
    return impl_->device;
}

void SimServer::Stop() {
    if (impl_->stopped.exchange(true)) return;
    uint64_t one = 1;
    while (::write(impl_->wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
    impl_->acceptor.join();
    ::close(impl_->listenFd);
    impl_->CloseAll();
    {
        std::lock_guard<std::mutex> lock(impl_->delayMutex);
        impl_->delayStop = true;
    }
    impl_->delayCv.notify_all();
    impl_->delayer.join();
    ::close(impl_->wakeFd);
}

size_t SimServer::ConnectionCount() const {
    return impl_->Open().size();
}

size_t SimServer::AcceptedCount() const {
    return impl_->accepted.load();
}

Bytes SimServer::Message(uint32_t cmd, const Bytes& plain, uint32_t identity) const {
    Head head;
    head.type = impl_->device->Type();
    head.cmd = cmd;
    head.identity = identity;
    return BuildMessage(head, plain);
}

void SimServer::Push(uint32_t cmd, const Bytes& plain, uint32_t identity, bool fragmented) {
    PushRaw(Message(cmd, plain, identity), fragmented);
}

void SimServer::PushRaw(const Bytes& bytes, bool fragmented) {
    for (auto& c : impl_->Open()) c->Write(bytes, fragmented);
}

void SimServer::CloseConnections() {
    impl_->CloseAll();
}

std::vector<Request> SimServer::Requests() const {
    std::lock_guard<std::mutex> lock(impl_->logMutex);
    return impl_->log;
}

std::vector<Request> SimServer::RequestsFor(uint32_t cmd) const {
    std::lock_guard<std::mutex> lock(impl_->logMutex);
    std::vector<Request> out;
    for (const Request& r : impl_->log)
        if (r.head.cmd == cmd) out.push_back(r);
    return out;
}

std::optional<Request> SimServer::WaitForRequest(uint32_t cmd, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(impl_->logMutex);
    std::optional<Request> found;
    impl_->logCv.wait_for(lock, limit, [&] {
        for (const Request& r : impl_->log) {
            if (r.decoded && (cmd == 0 || r.head.cmd == cmd)) {
                found = r;
                return true;
            }
        }
        return false;
    });
    return found;
}

bool SimServer::WaitForCount(uint32_t cmd, size_t count, std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(impl_->logMutex);
    return impl_->logCv.wait_for(lock, limit, [&] {
        size_t n = 0;
        for (const Request& r : impl_->log)
            if (r.decoded && (cmd == 0 || r.head.cmd == cmd)) ++n;
        return n >= count;
    });
}

void SimServer::ClearRequests() {
    std::lock_guard<std::mutex> lock(impl_->logMutex);
    impl_->log.clear();
}

void SimServer::SetRecordRequests(bool record) {
    impl_->recording.store(record);
}

}  // namespace devsim
