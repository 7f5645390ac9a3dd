#include "Base/TcpClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

#include "Loopback.h"

namespace tsl {
namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr uint32_t kMiB = 1048576;

// A loopback listener standing in for the device.
class Listener {
  public:
    explicit Listener(int backlog = 16, int receiveBuffer = 0)
        : fd_(tsltest::ListenOnLoopback(backlog, &port_, receiveBuffer)) {}
    ~Listener() { close(fd_); }
    uint16_t Port() const { return port_; }
    int Accept() {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 5000) != 1) return -1;
        int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        tsltest::NoDelay(fd);
        return fd;
    }

  private:
    int fd_;
    uint16_t port_;
};

void WriteAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t w = send(fd, p, n, MSG_NOSIGNAL);
        if (w <= 0) return;  // the client may have hung up on purpose
        p += w;
        n -= static_cast<size_t>(w);
    }
}

// A message with the device framing: 22-byte head, length at 18.
Bytes Frame(uint32_t payload, uint8_t seed = 1) {
    Bytes m(22 + payload);
    for (size_t i = 0; i < m.size(); ++i) m[i] = static_cast<uint8_t>(seed + i * 7);
    for (int i = 0; i < 4; ++i) m[i] = 0xFF;
    for (int i = 0; i < 4; ++i) m[18 + i] = static_cast<uint8_t>(payload >> (8 * i));
    return m;
}

Bytes Slice(const Bytes& b, size_t from, size_t to) {
    return Bytes(b.begin() + from, b.begin() + to);
}

FramingConfig DeviceFraming() {
    FramingConfig f;
    f.bufferSize = kMiB;
    f.headerLength = 22;
    f.lengthOffset = 18;
    f.lengthWidth = 4;
    return f;
}

struct Recorder {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Bytes> messages;
    int closes = 0;

    void Attach(TcpClient& client) {
        client.SetMessageCallback([this](const Bytes& m) {
            std::lock_guard<std::mutex> lock(mutex);
            messages.push_back(m);
            changed.notify_all();
        });
        client.SetCloseCallback([this] {
            std::lock_guard<std::mutex> lock(mutex);
            ++closes;
            changed.notify_all();
        });
    }
    bool WaitMessages(size_t n) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, milliseconds(5000), [&] { return messages.size() >= n; });
    }
    bool WaitClose() {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, milliseconds(5000), [&] { return closes > 0; });
    }
};

struct FramingCase {
    const char* name;
    std::vector<Bytes> writes;  // separate writes, a pause between them
    std::vector<Bytes> expected;
    bool clientEnds;  // the client must end the connection by itself
    FramingConfig framing = DeviceFraming();
};

std::vector<FramingCase> FramingCases() {
    std::vector<FramingCase> cases;
    Bytes m = Frame(5);
    cases.push_back(
        {"head in 10 + 12 bytes", {Slice(m, 0, 10), Slice(m, 10, 22), Slice(m, 22, 27)}, {m}, false});

    Bytes bytewise = Frame(7);
    std::vector<Bytes> pieces{Slice(bytewise, 0, 22)};
    for (size_t i = 22; i < bytewise.size(); ++i) pieces.push_back(Slice(bytewise, i, i + 1));
    cases.push_back({"payload byte by byte", pieces, {bytewise}, false});

    Bytes a = Frame(3, 10), b = Frame(0, 20), c = Frame(9, 30);
    Bytes segment = a;
    segment.insert(segment.end(), b.begin(), b.end());
    segment.insert(segment.end(), c.begin(), c.end());
    cases.push_back({"three messages in one segment", {segment}, {a, b, c}, false});

    // One read ends inside the next message.
    Bytes straddle = a;
    straddle.insert(straddle.end(), c.begin(), c.begin() + 10);
    cases.push_back(
        {"a message and the start of the next", {straddle, Slice(c, 10, c.size())}, {a, c}, false});

    cases.push_back({"length 0 is the head alone", {Frame(0)}, {Frame(0)}, false});

    Bytes full = Frame(kMiB - 22);
    cases.push_back({"total exactly the buffer size", {full}, {full}, false});
    cases.push_back({"one byte over the buffer size", {Frame(kMiB - 21)}, {}, true});
    // Read behind a short one, it fits only once that one has made room.
    Bytes behind = b;
    behind.insert(behind.end(), full.begin(), full.end());
    cases.push_back({"a full-size message behind a short one", {behind}, {b, full}, false});

    Bytes partial = Frame(40);
    cases.push_back({"peer closes inside a message", {Slice(partial, 0, 30)}, {}, false});

    FramingConfig withMagic = DeviceFraming();
    withMagic.magic = {0xFF, 0xFF, 0xFF, 0xFF};
    Bytes good = Frame(4), bad = Frame(4);
    bad[3] = 0xFE;
    cases.push_back({"magic mismatch ends the connection", {good, bad}, {good}, true, withMagic});

    // A one-byte length field in the middle of a 6-byte head.
    FramingConfig small;
    small.headerLength = 6;
    small.lengthOffset = 2;
    small.lengthWidth = 1;
    Bytes tiny{9, 9, 3, 9, 9, 9, 'a', 'b', 'c'};
    cases.push_back({"one-byte length field", {tiny}, {tiny}, false, small});
    return cases;
}

TEST(TcpClientFramingTest, Table) {
    for (const FramingCase& c : FramingCases()) {
        SCOPED_TRACE(c.name);
        Listener listener;
        Recorder rec;
        TcpClient client("127.0.0.1", listener.Port());
        rec.Attach(client);
        client.SetFraming(c.framing);
        ASSERT_EQ(client.Connect(2000), 0);
        int peer = listener.Accept();
        ASSERT_GE(peer, 0);
        for (size_t i = 0; i < c.writes.size(); ++i) {
            if (i > 0) std::this_thread::sleep_for(milliseconds(2));
            WriteAll(peer, c.writes[i].data(), c.writes[i].size());
        }
        if (!c.clientEnds) {
            ASSERT_TRUE(rec.WaitMessages(c.expected.size()));
            shutdown(peer, SHUT_WR);
        }
        ASSERT_TRUE(rec.WaitClose());
        close(peer);

        std::lock_guard<std::mutex> lock(rec.mutex);
        ASSERT_EQ(rec.messages.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_TRUE(rec.messages[i] == c.expected[i]) << i;
        EXPECT_EQ(rec.closes, 1);
        EXPECT_EQ(client.Send("x", 1), -1);
        EXPECT_EQ(client.GetLocalPort(), 0xFFFF);
    }
}

TEST(TcpClientFramingTest, WithoutFramingDeliversWhatArrives) {
    Listener listener;
    Recorder rec;
    TcpClient client("127.0.0.1", listener.Port());
    rec.Attach(client);
    ASSERT_EQ(client.Connect(2000), 0);
    int peer = listener.Accept();
    const std::string text = "raw bytes, no head at all";
    WriteAll(peer, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    shutdown(peer, SHUT_WR);
    ASSERT_TRUE(rec.WaitClose());
    close(peer);
    std::string got;
    for (const Bytes& m : rec.messages) got.append(m.begin(), m.end());
    EXPECT_EQ(got, text);
}

TEST(TcpClientTest, SendsWholeMessagesAndReportsTheLocalEndpoint) {
    Listener listener;
    TcpClient client("127.0.0.1", listener.Port());
    EXPECT_EQ(client.GetLocalAddress(), "");
    EXPECT_EQ(client.GetLocalPort(), 0xFFFF);
    EXPECT_EQ(client.Send("x", 1), -1);
    ASSERT_EQ(client.Connect(2000), 0);
    int peer = listener.Accept();

    sockaddr_in remote{};
    socklen_t len = sizeof remote;
    getpeername(peer, reinterpret_cast<sockaddr*>(&remote), &len);
    EXPECT_EQ(client.GetLocalAddress(), "127.0.0.1");
    EXPECT_EQ(client.GetLocalPort(), ntohs(remote.sin_port));

    // Far larger than the socket buffers, and it all arrives.
    Bytes big(2 * kMiB);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 31);
    Bytes got;
    std::thread reader([&] {
        uint8_t buf[65536];
        while (got.size() < big.size()) {
            ssize_t n = recv(peer, buf, sizeof buf, 0);
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
    });
    EXPECT_EQ(client.Send(big.data(), big.size()), static_cast<int>(big.size()));
    reader.join();
    EXPECT_TRUE(got == big);
    close(peer);
}

long ElapsedMs(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<milliseconds>(Clock::now() - since).count());
}

TEST(TcpClientTest, ThreadsSendingAtOnceNeverInterleave) {
    Listener listener;
    TcpClient client("127.0.0.1", listener.Port());
    ASSERT_EQ(client.Connect(2000), 0);
    int peer = listener.Accept();
    constexpr int kThreads = 16, kEach = 300;
    Bytes got;
    std::thread reader([&] {
        uint8_t buf[65536];
        for (;;) {
            ssize_t n = recv(peer, buf, sizeof buf, 0);
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
    });
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t)
        senders.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                // Sizes vary, so that batches cut messages at every place.
                Bytes m = Frame(static_cast<uint32_t>(8 + (t * 7 + i) % 300), static_cast<uint8_t>(t));
                std::memcpy(m.data() + 22, &t, 4);
                std::memcpy(m.data() + 26, &i, 4);
                if (i % 2)
                    EXPECT_EQ(client.Send(m.data(), m.size()), static_cast<int>(m.size()));
                else
                    EXPECT_GT(client.Post(m.data(), m.size()), 0);
            }
        });
    for (auto& t : senders) t.join();
    // Every Post has gone out once a later Send of its thread returned.
    client.Close();
    reader.join();
    close(peer);

    std::vector<int> next(kThreads, 0);
    size_t at = 0;
    while (at + 22 <= got.size()) {
        uint32_t length;
        std::memcpy(&length, got.data() + at + 18, 4);
        ASSERT_LE(at + 22 + length, got.size());
        int t, i;
        std::memcpy(&t, got.data() + at + 22, 4);
        std::memcpy(&i, got.data() + at + 26, 4);
        ASSERT_TRUE(t >= 0 && t < kThreads) << at;
        EXPECT_EQ(next[static_cast<size_t>(t)]++, i);
        Bytes m = Frame(length, static_cast<uint8_t>(t));
        std::memcpy(m.data() + 22, &t, 4);
        std::memcpy(m.data() + 26, &i, 4);
        EXPECT_TRUE(std::equal(m.begin(), m.end(), got.begin() + static_cast<long>(at))) << t << "/" << i;
        at += 22 + length;
    }
    EXPECT_EQ(at, got.size());
    for (int n : next) EXPECT_EQ(n, kEach);
}

TEST(TcpClientTest, MessagesQueuedBehindAFailedWriteNeverGoOut) {
    Listener listener;
    TcpClient client("127.0.0.1", listener.Port());
    std::atomic<int> drops{0};
    client.SetDropCallback([&] { ++drops; });
    client.SetSendTimeout(1500);
    ASSERT_EQ(client.Connect(2000), 0);
    int peer = listener.Accept();  // and never read
    // Far more than the socket buffers take: the writer blocks, then fails.
    Bytes huge(32 * kMiB, 0x5A);
    int64_t writer = 0;
    std::thread blocked([&] { writer = client.Post(huge.data(), huge.size()); });
    struct Join {
        std::thread& t;
        ~Join() {
            if (t.joinable()) t.join();
        }
    } join{blocked};
    int queuedBytes = 0;
    for (int i = 0; i < 2500 && queuedBytes == 0; ++i) {
        std::this_thread::sleep_for(milliseconds(2));
        ioctl(peer, FIONREAD, &queuedBytes);
    }
    ASSERT_GT(queuedBytes, 0);
    // Posted while the other thread writes: queued, not waited for (the
    // writer gives up only after 1.5 s without progress).
    auto start = Clock::now();
    int64_t queued = client.Post("behind", 6);
    EXPECT_LT(ElapsedMs(start), 1000);
    ASSERT_GT(queued, 0);
    EXPECT_FALSE(client.Undelivered(queued));
    blocked.join();
    EXPECT_EQ(writer, -1);
    EXPECT_TRUE(client.Undelivered(queued));
    EXPECT_EQ(drops.load(), 1);
    EXPECT_EQ(client.Post("later", 5), -1);
    EXPECT_EQ(client.Send("later", 5), -1);
    close(peer);
}

TEST(TcpClientTest, CloseReportsOnceAndDestructionNever) {
    Listener listener;
    Recorder destroyed;
    {
        TcpClient client("127.0.0.1", listener.Port());
        destroyed.Attach(client);
        client.SetFraming(DeviceFraming());
        ASSERT_EQ(client.Connect(2000), 0);
        close(listener.Accept());  // even a peer close racing the destructor
    }
    EXPECT_EQ(destroyed.closes, 0);

    Recorder rec;
    TcpClient client("127.0.0.1", listener.Port());
    rec.Attach(client);
    client.SetFraming(DeviceFraming());
    ASSERT_EQ(client.Connect(2000), 0);
    int peer = listener.Accept();
    EXPECT_EQ(client.Close(), 0);
    ASSERT_TRUE(rec.WaitClose());
    EXPECT_EQ(client.Close(), 0);
    char byte;
    EXPECT_EQ(recv(peer, &byte, 1, 0), 0);  // the peer sees the end
    EXPECT_EQ(client.Send("x", 1), -1);
    EXPECT_EQ(client.GetLocalPort(), 0xFFFF);
    EXPECT_EQ(client.GetLocalAddress(), "127.0.0.1");
    EXPECT_EQ(client.Connect(2000), -1);  // once in its life
    std::lock_guard<std::mutex> lock(rec.mutex);
    EXPECT_EQ(rec.closes, 1);
    close(peer);
}

TEST(TcpClientConnectTest, RefusedIsQuick) {
    uint16_t port;
    {
        Listener gone;  // a port that was free a moment ago, now unused
        port = gone.Port();
    }
    TcpClient client("127.0.0.1", port);
    auto start = Clock::now();
    EXPECT_EQ(client.Connect(5000), -1);
    EXPECT_LT(ElapsedMs(start), 1000);
}

TEST(TcpClientConnectTest, HostMustBeDottedIPv4) {
    Listener listener;
    EXPECT_EQ(TcpClient("localhost", listener.Port()).Connect(2000), -1);
    EXPECT_EQ(TcpClient("127.0.0", listener.Port()).Connect(2000), -1);
    TcpClient tail("127.0.0.1.99", listener.Port());
    EXPECT_EQ(tail.Connect(2000), 0);
    close(listener.Accept());
}

TEST(TcpClientConnectTest, TimesOutOnAListenerThatNeverAccepts) {
    Listener listener(0);
    // Fill the accept queue until a handshake no longer completes.
    std::vector<int> fillers;
    for (int i = 0; i < 16; ++i) {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sa.sin_port = htons(listener.Port());
        connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        fillers.push_back(fd);
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, 100) == 0) break;
    }

    TcpClient client("127.0.0.1", listener.Port());
    auto start = Clock::now();
    EXPECT_EQ(client.Connect(200), -1);
    long waited = ElapsedMs(start);
    EXPECT_GE(waited, 190);
    EXPECT_LT(waited, 2000);

    // A negative time-out is no wait at all, not 49 days.
    TcpClient negative("127.0.0.1", listener.Port());
    start = Clock::now();
    EXPECT_EQ(negative.Connect(-1), -1);
    EXPECT_LT(ElapsedMs(start), 150);
    for (int fd : fillers) close(fd);
}

TEST(TcpClientConnectTest, SecondConnectFailsAndKeepsTheConnection) {
    Listener listener;
    TcpClient client("127.0.0.1", listener.Port());
    ASSERT_EQ(client.Connect(2000), 0);
    int peer = listener.Accept();
    uint16_t port = client.GetLocalPort();
    EXPECT_EQ(client.Connect(2000), -1);
    EXPECT_EQ(client.GetLocalPort(), port);
    EXPECT_EQ(client.Send("ok", 2), 2);
    char buf[2];
    EXPECT_EQ(recv(peer, buf, 2, MSG_WAITALL), 2);
    close(peer);
}

// Pipes that another thread keeps opening and closing: if the client closed
// a descriptor twice, or wrote to one after closing it, the number would by
// then belong to one of these.
class DescriptorChurn {
  public:
    DescriptorChurn() : thread_([this] { Run(); }) {}
    ~DescriptorChurn() {
        stop_ = true;
        thread_.join();
    }
    int Broken() const { return broken_; }

  private:
    bool Intact(int fd) {
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) return false;
        return true;
    }
    void Run() {
        std::deque<std::pair<int, int>> open;
        while (!stop_ || !open.empty()) {
            if (!stop_ && open.size() < 8) {
                int fds[2];
                if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) open.emplace_back(fds[0], fds[1]);
                continue;
            }
            auto [r, w] = open.front();
            open.pop_front();
            char byte;
            if (!Intact(r) || !Intact(w) || read(r, &byte, 1) != -1) ++broken_;
            close(r);
            close(w);
        }
    }
    std::atomic<bool> stop_{false};
    std::atomic<int> broken_{0};
    std::thread thread_;
};

// One long-lived thread that runs each round's job, so a round costs no
// thread of its own (thread starts are dear under ThreadSanitizer).
class Helper {
  public:
    Helper() : thread_([this] { Run(); }) {}
    ~Helper() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    void Post(std::function<void()> job) {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = std::move(job);
        changed_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return !job_; });
    }

  private:
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stop_ || job_; });
            if (stop_) return;
            std::function<void()> job = job_;
            lock.unlock();
            job();
            lock.lock();
            job_ = nullptr;
            changed_.notify_all();
        }
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    bool stop_ = false;
    std::thread thread_;
};

TEST(TcpClientRaceTest, CloseRacingSendAndTheReceiveThreadClosesOnlyItsOwnDescriptor) {
    Listener listener(16, 4096);  // a small window: the sender blocks soon
    DescriptorChurn churn;
    Helper closer;
    std::mt19937 random(7);
    const Bytes chunk(4096, 0x5A);
    for (int round = 0; round < 200; ++round) {
        Recorder rec;
        auto client = std::make_unique<TcpClient>("127.0.0.1", listener.Port());
        rec.Attach(*client);
        FramingConfig small = DeviceFraming();
        small.bufferSize = 4096;
        client->SetFraming(small);
        ASSERT_EQ(client->Connect(2000), 0);
        int peer = listener.Accept();
        ASSERT_GE(peer, 0);
        const auto pause = std::chrono::microseconds(random() % 300);
        const bool byClose = round % 2 == 0;
        closer.Post([&] {
            std::this_thread::sleep_for(pause);
            if (byClose)
                client->Close();
            else
                close(peer);  // the receive thread ends by itself
        });
        // The peer never reads, so this ends up blocked in send.
        while (client->Send(chunk.data(), chunk.size()) > 0) {
        }
        closer.Wait();
        ASSERT_TRUE(rec.WaitClose());
        client.reset();
        if (byClose) close(peer);
        ASSERT_EQ(rec.closes, 1);
    }
    EXPECT_EQ(churn.Broken(), 0);
}

}  // namespace
}  // namespace tsl
