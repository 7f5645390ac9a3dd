// The simulator seen from the wire: a raw client of its own on 127.0.0.1,
// using only the simulator's codec.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "DevSim.h"

using namespace devsim;
using namespace std::chrono_literals;

namespace {

constexpr auto kWait = 2000ms;  // for what must come
constexpr auto kQuiet = 100ms;  // for what must not
// A fragmented message of a few dozen bytes goes out in more than ten pieces
// with a pause after each; a whole write arrives far sooner.
constexpr auto kSpreadOut = 10ms;

struct Message {
    Head head;
    Bytes text;
    std::optional<Bytes> Plain() const { return Decipher(text.data(), text.size()); }
};

class RawClient {
  public:
    explicit RawClient(uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    ~RawClient() { ::close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }

    void Send(uint32_t cmd, const Bytes& plain, uint32_t identity = 0) {
        Head head;
        head.type = 102;
        head.cmd = cmd;
        head.identity = identity;
        SendRaw(BuildMessage(head, plain));
    }
    void SendRaw(const Bytes& bytes) {
        size_t at = 0;
        while (at < bytes.size()) {
            ssize_t n = ::send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
            if (n <= 0) return;
            at += static_cast<size_t>(n);
        }
    }

    // The next whole message; nullopt on time-out or end of stream.
    std::optional<Message> Receive(std::chrono::milliseconds limit = kWait) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (buf_.size() >= kHeadSize) {
                Head head = GetHead(buf_.data());
                if (buf_.size() >= kHeadSize + head.length) {
                    Message m{head, Bytes(buf_.begin() + kHeadSize, buf_.begin() + kHeadSize + head.length)};
                    buf_.erase(buf_.begin(), buf_.begin() + kHeadSize + head.length);
                    return m;
                }
            }
            if (!Fill(deadline)) return std::nullopt;
        }
    }
    // Only the next head, for a message too large to take whole.
    std::optional<Head> ReceiveHead() {
        auto deadline = std::chrono::steady_clock::now() + kWait;
        while (buf_.size() < kHeadSize)
            if (!Fill(deadline)) return std::nullopt;
        return GetHead(buf_.data());
    }
    // True once the peer has closed; whatever else arrives is dropped.
    bool WaitClosed() {
        auto deadline = std::chrono::steady_clock::now() + kWait;
        while (Fill(deadline)) buf_.clear();
        return eof_;
    }
    std::optional<Bytes> Call(uint32_t cmd, const Bytes& plain, uint32_t identity = 1) {
        Send(cmd, plain, identity);
        auto m = Receive();
        if (!m) return std::nullopt;
        return m->Plain();
    }

  private:
    bool Fill(std::chrono::steady_clock::time_point deadline) {
        if (eof_) return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        uint8_t chunk[65536];
        ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) {
            eof_ = true;
            return false;
        }
        buf_.insert(buf_.end(), chunk, chunk + n);
        return true;
    }

    int fd_ = -1;
    bool connected_ = false;
    bool eof_ = false;
    Bytes buf_;
};

Bytes LoginPayload(const std::string& user, const std::string& password) {
    Bytes p(80, 0);
    std::memcpy(p.data(), user.data(), std::min<size_t>(user.size(), 15));
    std::memcpy(p.data() + 16, password.data(), std::min<size_t>(password.size(), 15));
    return p;
}

uint32_t Code(const Bytes& plain) {
    return plain.size() >= 4 ? GetU32(plain.data()) : 0xDEADBEEF;
}
Bytes Record(const Bytes& plain) {
    return Bytes(plain.begin() + 4, plain.end());
}

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 13);
    return b;
}

Bytes IdKey(uint16_t id) {
    Bytes p(32, 0);
    p[0] = static_cast<uint8_t>(id);
    p[1] = static_cast<uint8_t>(id >> 8);
    return p;
}

class DevSimTest : public ::testing::Test {
  protected:
    std::shared_ptr<SimDevice> device = std::make_shared<SimDevice>(102);
    SimServer server{device};
};

TEST_F(DevSimTest, LoginChecksUserAndPassword) {
    Bytes info = Pattern(128, 5);
    device->SetLoginInfo(info);
    struct Case {
        const char* user;
        const char* password;
        uint32_t code;
    } cases[] = {{"admin", "admin123", 0}, {"admin", "admin12", 7}, {"admi", "admin123", 7}, {"", "", 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.user) + "/" + c.password);
        RawClient client(server.Port());
        client.Send(1001, LoginPayload(c.user, c.password), 77);
        auto m = client.Receive();
        ASSERT_TRUE(m);
        EXPECT_EQ(m->head.cmd, 1001u);
        EXPECT_EQ(m->head.identity, 77u);
        EXPECT_EQ(m->head.type, 102u);
        auto plain = m->Plain();
        ASSERT_TRUE(plain);
        EXPECT_EQ(Code(*plain), c.code);
        EXPECT_EQ(Record(*plain), c.code == 0 ? info : Bytes{});
    }

    device->SetCredentials("root", "toor");
    RawClient client(server.Port());
    EXPECT_EQ(Code(*client.Call(1001, LoginPayload("admin", "admin123"))), 7u);
    EXPECT_EQ(Code(*client.Call(1001, LoginPayload("root", "toor"))), 0u);
}

TEST_F(DevSimTest, PasswordChangeTakesEffectAtTheNextLogin) {
    RawClient client(server.Port());
    Bytes change(32, 0);
    std::memcpy(change.data(), "n3w-secret", 10);
    EXPECT_EQ(*client.Call(1003, change), StatusPayload(0));
    EXPECT_EQ(device->Password(), "n3w-secret");
    EXPECT_EQ(Code(*client.Call(1001, LoginPayload("admin", "admin123"))), 7u);
    EXPECT_EQ(Code(*client.Call(1001, LoginPayload("admin", "n3w-secret"))), 0u);
}

TEST_F(DevSimTest, HeartbeatIsAnsweredUntilSuppressed) {
    RawClient client(server.Port());
    Bytes beat(20, 0);
    beat[0] = 20;
    client.Send(1007, beat, 5);
    auto m = client.Receive();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->head.cmd, 1007u);
    EXPECT_EQ(m->head.identity, 5u);
    EXPECT_EQ(m->head.type, 102u);

    device->SetAnswerHeartbeat(false);
    client.Send(1007, beat, 6);
    EXPECT_FALSE(client.Receive(kQuiet));
    EXPECT_TRUE(server.WaitForCount(1007, 2, kWait));  // still received and logged
    EXPECT_TRUE(client.Call(1008, {}));                // and the connection still serves
}

// Every Set reads back through its Get; keyed records are kept apart, and a
// key never set (or deleted, or cleared) reads as zeros around the key.
TEST_F(DevSimTest, RecordsReadBackWhatWasSet) {
    struct Case {
        uint32_t get, set, del, clear;
        size_t size;
        Bytes getPayload;  // for unkeyed records
    } cases[] = {
        {1008, 1009, 0, 0, 8, {}},         {1010, 1011, 0, 0, 48, Bytes(48, 0)},
        {1012, 1014, 1013, 1015, 112, {}}, {1016, 1018, 1017, 1019, 320, {}},
        {1020, 1022, 1021, 1023, 80, {}},  {1024, 10000, 0, 0, 208, {}},
        {1025, 1026, 0, 0, 80, {}},        {1027, 1028, 0, 0, 80, {}},
        {1047, 1048, 0, 0, 80, {}},        {1042, 1043, 0, 0, 48, {}},
    };
    RawClient client(server.Port());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.get);
        bool keyed = c.del != 0;
        auto get = [&](uint16_t id) { return client.Call(c.get, keyed ? IdKey(id) : c.getPayload); };
        auto withKey = [](Bytes r, uint16_t id) {
            r[0] = static_cast<uint8_t>(id);
            r[1] = static_cast<uint8_t>(id >> 8);
            return r;
        };
        EXPECT_EQ(get(0x0307),
                  StatusPayload(0, keyed ? withKey(Bytes(c.size, 0), 0x0307) : Bytes(c.size, 0)));

        Bytes a = withKey(Pattern(c.size, 1), 0x0307);
        Bytes b = withKey(Pattern(c.size, 2), 0x0308);
        EXPECT_EQ(client.Call(c.set, a), StatusPayload(0));
        if (keyed) {
            EXPECT_EQ(client.Call(c.set, b), StatusPayload(0));
        }
        EXPECT_EQ(get(0x0307), StatusPayload(0, a));
        if (!keyed) continue;
        EXPECT_EQ(get(0x0308), StatusPayload(0, b));
        EXPECT_EQ(get(0x0309), StatusPayload(0, withKey(Bytes(c.size, 0), 0x0309)));

        EXPECT_EQ(client.Call(c.del, IdKey(0x0307)), StatusPayload(0));
        EXPECT_EQ(get(0x0307), StatusPayload(0, withKey(Bytes(c.size, 0), 0x0307)));
        EXPECT_EQ(get(0x0308), StatusPayload(0, b));
        EXPECT_EQ(client.Call(c.clear, {}), StatusPayload(0));
        EXPECT_EQ(get(0x0308), StatusPayload(0, withKey(Bytes(c.size, 0), 0x0308)));
    }
}

TEST_F(DevSimTest, OtherCommonCommandsAnswerWithTheirRecordSize) {
    Bytes log = Pattern(652, 9);
    device->PutRecord("log", {}, log);
    Bytes kind = {3, 0, 0, 0};
    Bytes ids = Pattern(288, 4);
    device->PutRecord("idList", kind, ids);
    Bytes query(32, 0);
    query[0] = 3;

    RawClient client(server.Port());
    EXPECT_EQ(client.Call(1041, Bytes(48, 0)), StatusPayload(0, log));
    EXPECT_EQ(client.Call(1040, {}), StatusPayload(0));
    EXPECT_EQ(client.Call(1041, Bytes(48, 0)), StatusPayload(0, Bytes(652, 0)));
    EXPECT_EQ(client.Call(1044, query), StatusPayload(0, ids));
    EXPECT_EQ(client.Call(1400, Bytes(32, 0))->size(), 4u + 256);
    for (uint32_t cmd : {1004u, 1005u, 1006u, 1034u, 1036u, 1037u}) {
        SCOPED_TRACE(cmd);
        EXPECT_EQ(client.Call(cmd, {}), StatusPayload(0));
    }
    EXPECT_EQ(client.Call(4242, {}), StatusPayload(4));  // nobody knows it
}

TEST_F(DevSimTest, RestoreCanCloseRightAfterReplying) {
    device->SetRule(1006, {CommandRule::Status, 0, "", 0, 0, true});
    RawClient client(server.Port());
    EXPECT_EQ(client.Call(1006, {}), StatusPayload(0));
    EXPECT_TRUE(client.WaitClosed());
}

TEST_F(DevSimTest, HandlersWinOverRulesUntilARuleReplacesThem) {
    RawClient client(server.Port());
    device->SetHandler(1008, [this](const Request& r) -> std::optional<Bytes> {
        device->PutRecord("seen", {}, r.plain);  // a handler may use the device
        return StatusPayload(0, {1, 2, 3});
    });
    EXPECT_EQ(client.Call(1008, {9}), StatusPayload(0, {1, 2, 3}));
    EXPECT_EQ(device->GetRecord("seen", {}), Bytes{9});

    device->SetHandler(1008, [](const Request&) { return std::optional<Bytes>(); });
    client.Send(1008, {});
    EXPECT_FALSE(client.Receive(kQuiet));

    device->SetRule(1008, {CommandRule::Record, 8, "time", 0, 0});
    EXPECT_EQ(client.Call(1008, {}), StatusPayload(0, Bytes(8, 0)));
}

// Each fault once, on GetTime (result 0 + 8 bytes) sent with identity 42.
TEST_F(DevSimTest, FaultsChangeTheAnswer) {
    auto one = [](RawClient& c) {
        auto m = c.Receive();
        EXPECT_TRUE(m);
        return m.value_or(Message{});
    };
    auto plainOf = [](const Message& m) { return m.Plain().value_or(Bytes{0xEE}); };
    std::chrono::steady_clock::time_point sent;
    struct Case {
        const char* name;
        Fault fault;
        std::function<void(RawClient&)> check;
    };
    const Case cases[] = {
        {"silent", {Fault::Silent}, [](RawClient& c) { EXPECT_FALSE(c.Receive(kQuiet)); }},
        {"wrong command", {Fault::WrongCommand}, [&](RawClient& c) { EXPECT_EQ(one(c).head.cmd, 1009u); }},
        {"given command",
         {Fault::WrongCommand, 1800},
         [&](RawClient& c) { EXPECT_EQ(one(c).head.cmd, 1800u); }},
        {"result max",
         {Fault::ResultCode, 0x7FFFFFFF},
         [&](RawClient& c) { EXPECT_EQ(plainOf(one(c)), StatusPayload(0x7FFFFFFF)); }},
        {"result -1000",
         {Fault::ResultCode, -1000},
         [&](RawClient& c) { EXPECT_EQ(plainOf(one(c)), StatusPayload(-1000)); }},
        {"result min",
         {Fault::ResultCode, 0x80000000},
         [&](RawClient& c) {
             EXPECT_EQ(plainOf(one(c)), (Bytes{0, 0, 0, 0x80}));
         }},
        {"result with body",
         {Fault::ResultWithBody, 5},
         [&](RawClient& c) { EXPECT_EQ(plainOf(one(c)), StatusPayload(5, Bytes(8, 0))); }},
        {"record too long",
         {Fault::SizeDelta, 1},
         [&](RawClient& c) { EXPECT_EQ(plainOf(one(c)), StatusPayload(0, Bytes(9, 0))); }},
        {"record too short",
         {Fault::SizeDelta, -1},
         [&](RawClient& c) { EXPECT_EQ(plainOf(one(c)), StatusPayload(0, Bytes(7, 0))); }},
        {"empty payload",
         {Fault::ShortPayload, 0},
         [&](RawClient& c) {
             Message m = one(c);
             EXPECT_EQ(m.head.length, 0u);
             EXPECT_EQ(plainOf(m), Bytes{});
         }},
        {"3-byte payload",
         {Fault::ShortPayload, 3},
         [&](RawClient& c) { EXPECT_EQ(plainOf(one(c)).size(), 3u); }},
        {"bad base64",
         {Fault::BadBase64},
         [&](RawClient& c) {
             Message m = one(c);
             EXPECT_EQ(m.head.length, 24u);  // the length of the right answer
             EXPECT_FALSE(m.Plain());
         }},
        {"wrong identity",
         {Fault::WrongIdentity},
         [&](RawClient& c) { EXPECT_EQ(one(c).head.identity, 43u); }},
        {"close after reply",
         {Fault::CloseAfterReply},
         [&](RawClient& c) {
             EXPECT_EQ(plainOf(one(c)), StatusPayload(0, Bytes(8, 0)));
             EXPECT_TRUE(c.WaitClosed());
         }},
        {"close instead",
         {Fault::CloseInstead},
         [&](RawClient& c) {
             EXPECT_FALSE(c.Receive());
             EXPECT_TRUE(c.WaitClosed());
         }},
        {"oversized",
         {Fault::Oversized},
         [&](RawClient& c) {
             auto head = c.ReceiveHead();
             ASSERT_TRUE(head);
             EXPECT_EQ(kHeadSize + head->length, (1u << 20) + 1);
         }},
        {"duplicate",
         {Fault::Duplicate},
         [&](RawClient& c) {
             Message a = one(c), b = one(c);
             EXPECT_EQ(a.head.identity, 42u);
             EXPECT_EQ(b.head.identity, 42u);
             EXPECT_EQ(a.text, b.text);
         }},
        {"fragmented",
         {Fault::None, 0, 0ms, false, true},
         [&](RawClient& c) {
             EXPECT_EQ(plainOf(one(c)), StatusPayload(0, Bytes(8, 0)));
             EXPECT_GE(std::chrono::steady_clock::now() - sent, kSpreadOut);
         }},
        {"once",
         {Fault::ResultCode, 9, 0ms, true},
         [&](RawClient& c) {
             EXPECT_EQ(plainOf(one(c)), StatusPayload(9));
             c.Send(1008, {}, 42);
             EXPECT_EQ(plainOf(one(c)), StatusPayload(0, Bytes(8, 0)));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device->ClearFaults();
        device->SetFault(1008, c.fault);
        RawClient client(server.Port());
        sent = std::chrono::steady_clock::now();
        client.Send(1008, {}, 42);
        c.check(client);
    }
}

// A delayed answer leaves the connection free: a heartbeat sent after the
// request is answered first.
TEST_F(DevSimTest, DelayedAnswerDoesNotHoldUpTheConnection) {
    device->SetFault(1008, {Fault::None, 0, 80ms});
    RawClient client(server.Port());
    auto sent = std::chrono::steady_clock::now();
    client.Send(1008, {}, 1);
    client.Send(1007, Bytes(20, 0), 2);
    auto first = client.Receive();
    auto second = client.Receive();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->head.cmd, 1007u);
    EXPECT_EQ(second->head.cmd, 1008u);
    EXPECT_GE(std::chrono::steady_clock::now() - sent, 80ms);
}

TEST_F(DevSimTest, FaultForAllCommandsSparesLoginAndHeartbeat) {
    device->SetFault(0, {Fault::ResultCode, 9});
    RawClient client(server.Port());
    EXPECT_EQ(client.Call(1008, {}), StatusPayload(9));
    EXPECT_EQ(client.Call(1024, {}), StatusPayload(9));
    EXPECT_EQ(Code(*client.Call(1001, LoginPayload("admin", "admin123"))), 0u);
    EXPECT_EQ(client.Call(1007, Bytes(20, 0)), StatusPayload(0));

    device->SetFault(1001, {Fault::ResultCode, 26});
    device->SetFault(1024, {Fault::SizeDelta, 1});  // the exact command wins
    EXPECT_EQ(client.Call(1001, LoginPayload("admin", "admin123")), StatusPayload(26));
    EXPECT_EQ(client.Call(1024, {})->size(), 4u + 209);
    device->ClearFault(0);
    EXPECT_EQ(client.Call(1008, {}), StatusPayload(0, Bytes(8, 0)));
}

TEST_F(DevSimTest, PushesArriveIntactFragmentedOrGlued) {
    RawClient a(server.Port()), b(server.Port());
    ASSERT_TRUE(a.Call(1007, Bytes(20, 0)) && b.Call(1007, Bytes(20, 0)));  // both accepted
    Bytes event = Pattern(64, 3);

    auto pushed = std::chrono::steady_clock::now();
    std::thread pusher([&] { server.Push(1800, event, 0, true); });  // the clients read meanwhile
    for (RawClient* c : {&a, &b}) {
        auto m = c->Receive();
        ASSERT_TRUE(m);
        EXPECT_EQ(m->head.cmd, 1800u);
        EXPECT_EQ(m->head.type, 102u);
        EXPECT_EQ(m->Plain(), event);
    }
    pusher.join();
    EXPECT_GE(std::chrono::steady_clock::now() - pushed, 2 * kSpreadOut);  // one connection after the other

    for (bool fragmented : {false, true}) {
        SCOPED_TRACE(fragmented);
        Bytes glued;
        for (uint32_t i = 0; i < 3; ++i) {
            Bytes m = server.Message(4800 + i, Pattern(80 * (i + 1), uint8_t(i)), i);
            glued.insert(glued.end(), m.begin(), m.end());
        }
        server.PushRaw(glued, fragmented);
        for (uint32_t i = 0; i < 3; ++i) {
            auto m = a.Receive();
            ASSERT_TRUE(m);
            EXPECT_EQ(m->head.cmd, 4800 + i);
            EXPECT_EQ(m->Plain(), Pattern(80 * (i + 1), uint8_t(i)));
        }
    }
}

// Replies and pushes written from different threads never interleave.
TEST_F(DevSimTest, PushesAndRepliesShareAConnectionCleanly) {
    constexpr int kEach = 200;
    RawClient client(server.Port());
    ASSERT_TRUE(client.Call(1007, Bytes(20, 0)));
    std::thread pusher([&] {
        for (int i = 0; i < kEach; ++i) server.Push(1800, Pattern(64, uint8_t(i)), uint32_t(i));
    });
    for (int i = 0; i < kEach; ++i) client.Send(1008, {}, uint32_t(i));
    int events = 0, replies = 0;
    for (int i = 0; i < 2 * kEach; ++i) {
        auto m = client.Receive();
        ASSERT_TRUE(m);
        auto plain = m->Plain();
        ASSERT_TRUE(plain);
        if (m->head.cmd == 1800) {
            EXPECT_EQ(*plain, Pattern(64, uint8_t(m->head.identity)));
            ++events;
        } else {
            EXPECT_EQ(*plain, StatusPayload(0, Bytes(8, 0)));
            ++replies;
        }
    }
    pusher.join();
    EXPECT_EQ(events, kEach);
    EXPECT_EQ(replies, kEach);
}

TEST_F(DevSimTest, RequestLogKeepsEveryRequestDecodedOrNot) {
    RawClient first(server.Port());
    first.Send(1010, Bytes(48, 0), 11);
    ASSERT_TRUE(first.Receive());
    Bytes garbage(kHeadSize + 5, 'x');
    Head head;
    head.type = 102;
    head.cmd = 1024;
    head.identity = 12;
    head.length = 5;
    PutHead(garbage.data(), head);
    first.SendRaw(garbage);
    EXPECT_FALSE(first.Receive(kQuiet));  // not answered

    std::optional<Request> waited;
    std::thread waiter([&] { waited = server.WaitForRequest(1025, kWait); });
    RawClient second(server.Port());
    second.Send(1025, {}, 13);
    waiter.join();
    ASSERT_TRUE(waited);
    EXPECT_EQ(waited->head.identity, 13u);
    EXPECT_EQ(waited->connection, 1);

    auto log = server.Requests();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(log[0].decoded);
    EXPECT_EQ(log[0].head.cmd, 1010u);
    EXPECT_EQ(log[0].head.identity, 11u);
    EXPECT_EQ(log[0].head.type, 102u);
    EXPECT_EQ(log[0].head.length, 88u);  // enciphered length
    EXPECT_EQ(log[0].plain, Bytes(48, 0));
    EXPECT_EQ(log[0].connection, 0);
    EXPECT_FALSE(log[1].decoded);
    EXPECT_EQ(log[1].head.cmd, 1024u);
    EXPECT_TRUE(log[1].plain.empty());
    EXPECT_EQ(server.RequestsFor(1024).size(), 1u);
    EXPECT_FALSE(server.WaitForRequest(1024, kQuiet));  // undecodable ones are not waited for

    server.ClearRequests();
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(DevSimTest, UpgradeAccumulatesTheChunks) {
    RawClient client(server.Port());
    Bytes start(32, 0);
    PutU32(start.data(), 2500);
    auto reply = client.Call(1029, start);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), 4u + 32);
    uint32_t id = GetU32(reply->data() + 4);

    Bytes file = Pattern(2500, 7);
    for (size_t at = 0; at < file.size(); at += 1024) {
        uint32_t n = static_cast<uint32_t>(std::min<size_t>(1024, file.size() - at));
        Bytes data(8 + n);
        PutU32(data.data(), id);
        PutU32(data.data() + 4, n);
        std::copy_n(file.begin() + at, n, data.begin() + 8);
        EXPECT_EQ(client.Call(1031, data), StatusPayload(0));
    }
    Bytes stray(9, 0);
    PutU32(stray.data(), id + 1);
    PutU32(stray.data() + 4, 1);
    EXPECT_EQ(client.Call(1031, stray), StatusPayload(6));  // no such transfer
    Bytes stop(32, 0);
    PutU32(stop.data(), id);
    EXPECT_EQ(client.Call(1030, stop), StatusPayload(0));

    auto upgrades = device->Upgrades();
    ASSERT_EQ(upgrades.size(), 1u);
    EXPECT_EQ(upgrades[0].id, id);
    EXPECT_EQ(upgrades[0].size, 2500u);
    EXPECT_EQ(upgrades[0].data, file);
    EXPECT_EQ(upgrades[0].chunks, (std::vector<uint32_t>{1024, 1024, 452}));
    EXPECT_TRUE(upgrades[0].stopped);
}

TEST_F(DevSimTest, ExportSendsTheBlocksWithTheLastMarked) {
    device->SetExportData({Pattern(1012, 1), Pattern(10, 2), Pattern(1012, 3)});
    auto blocks = device->ExportBlocks();
    ASSERT_EQ(blocks.size(), 3u);
    auto request = [](uint32_t index, uint32_t mode) {
        Bytes p(28, 0);
        PutU32(p.data(), 0xFFFFFFFF);
        PutU32(p.data() + 4, index);
        PutU32(p.data() + 12, mode);
        return p;
    };
    RawClient client(server.Port());
    for (uint32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        auto reply = client.Call(1045, request(i, i == 0 ? 0 : 1));
        ASSERT_TRUE(reply);
        EXPECT_EQ(*reply, StatusPayload(0, blocks[i]));
        EXPECT_EQ(GetU32(blocks[i].data() + 4), i);
        EXPECT_EQ(GetU32(blocks[i].data() + 12), i == 2 ? 2u : 1u);
    }
    EXPECT_EQ(Bytes(blocks[1].begin() + 16, blocks[1].begin() + 26), Pattern(10, 2));
    EXPECT_EQ(client.Call(1045, request(0, 3)), StatusPayload(0));

    device->SetExportWrongIndex(1);
    auto reply = client.Call(1045, request(1, 1));
    ASSERT_TRUE(reply && reply->size() == 4 + kConfigBlockSize);
    EXPECT_EQ(GetU32(reply->data() + 8), 2u);
}

TEST_F(DevSimTest, ImportStoresTheBlocksInOrder) {
    RawClient client(server.Port());
    std::vector<Bytes> sent = {Pattern(1028, 1), Pattern(1028, 2), Pattern(1028, 3)};
    for (const Bytes& block : sent) EXPECT_EQ(client.Call(1046, block), StatusPayload(0));
    EXPECT_EQ(client.Call(1046, Pattern(1000, 4)), StatusPayload(5));
    EXPECT_EQ(device->ImportedBlocks(), sent);
}

TEST_F(DevSimTest, ServesManyConnectionsAtOnce) {
    constexpr size_t kClients = 256;
    std::vector<std::unique_ptr<RawClient>> clients;
    for (size_t i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<RawClient>(server.Port()));
        clients.back()->Send(1001, LoginPayload("admin", "admin123"), uint32_t(i));
    }
    for (auto& c : clients) {
        auto m = c->Receive();
        ASSERT_TRUE(m);
        EXPECT_EQ(Code(*m->Plain()), 0u);
    }
    EXPECT_EQ(server.ConnectionCount(), kClients);
    EXPECT_EQ(server.AcceptedCount(), kClients);

    server.CloseConnections();
    EXPECT_EQ(server.ConnectionCount(), 0u);
    for (auto& c : clients) EXPECT_TRUE(c->WaitClosed());
}

TEST_F(DevSimTest, StopClosesThePortAndTheConnections) {
    RawClient client(server.Port());
    ASSERT_TRUE(client.Call(1008, {}));
    server.Stop();
    EXPECT_TRUE(client.WaitClosed());
    EXPECT_FALSE(RawClient(server.Port()).connected());
    server.Stop();
}

const bool kTestFamily = RegisterFamily(900, [](SimDevice& d) {
    d.SetRule(2006, {CommandRule::Record, 65, "channel", 0, 1});
    d.SetRule(2007, {CommandRule::Store, 0, "channel", 0, 1});
    d.SetRule(1008, {CommandRule::Record, 9, "time", 0, 0});
});

TEST(DevSimFamily, RegisteredRulesApplyToTheirTypeOnly) {
    ASSERT_TRUE(kTestFamily);
    auto family = std::make_shared<SimDevice>(900);
    auto other = std::make_shared<SimDevice>(901);
    SimServer familyServer(family), otherServer(other);
    RawClient a(familyServer.Port()), b(otherServer.Port());

    Bytes channel = Pattern(65, 1);
    channel[0] = 4;
    Bytes key(32, 0);
    key[0] = 4;
    EXPECT_EQ(a.Call(2007, channel), StatusPayload(0));
    EXPECT_EQ(a.Call(2006, key), StatusPayload(0, channel));
    EXPECT_EQ(a.Call(1008, {})->size(), 4u + 9);  // a family may replace a common rule
    EXPECT_EQ(a.Call(1024, {})->size(), 4u + 208);
    EXPECT_EQ(b.Call(2006, key), StatusPayload(4));
    EXPECT_EQ(b.Call(1008, {})->size(), 4u + 8);
}

}  // namespace
