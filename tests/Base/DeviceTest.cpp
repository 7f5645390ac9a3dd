// The device connection and request exchange against the simulator.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Base/Credentials.h"
#include "Base/Device.h"
#include "Base/Logger.h"
#include "Base/MessageHead.h"
#include "Base/ThreadPool.h"
#include "DevSim.h"
#include "SimFixture.h"
#include "TslAcc.h"
#include "TslFsu.h"

using namespace std::chrono_literals;
using devsim::Bytes;
using devsim::Fault;
using tsl::Device;
using tsl::IdentityModule;
using Clock = std::chrono::steady_clock;

namespace {

// Records what reaches the event handler; can hold the pool's workers.
class RecordingDevice : public Device {
  public:
    RecordingDevice(const char* ip, uint32_t port) : Device(ip, port) { setType(100); }
    ~RecordingDevice() override { Shutdown(); }

    void OnEvent(tsl::EventMessage message) override {
        std::unique_lock<std::mutex> lock(mutex);
        events.push_back(message);
        cond.notify_all();
        cond.wait(lock, [&] { return !hold; });
    }
    size_t WaitForEvents(size_t n, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(mutex);
        cond.wait_for(lock, limit, [&] { return events.size() >= n; });
        return events.size();
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex);
        hold = false;
        cond.notify_all();
    }

    std::mutex mutex;
    std::condition_variable cond;
    std::vector<tsl::EventMessage> events;
    bool hold = false;
};

struct Rig {
    std::shared_ptr<devsim::SimDevice> sim = std::make_shared<devsim::SimDevice>(100);
    devsim::SimServer server{sim};
    std::shared_ptr<RecordingDevice> device;
    std::atomic<int> hookCalls{0};

    explicit Rig(int timeoutMs = 2000, bool login = true) {
        device = std::make_shared<RecordingDevice>("127.0.0.1", server.Port());
        device->setTimeoutMs(timeoutMs);
        device->setRegistered(true);
        device->SetDisconnectHook([this](int) { ++hookCalls; });
        EXPECT_EQ(0, device->Connect());
        if (login) {
            // A short time-out is for the test's own requests; the login
            // itself gets time enough on a loaded machine.
            device->setTimeoutMs(std::max(timeoutMs, 2000));
            uint8_t info[128];
            EXPECT_EQ(0, device->Login("admin", "admin123", info));
            device->setTimeoutMs(timeoutMs);
        }
    }

    int32_t GetTime(uint8_t* record) {
        return device->Call(IdentityModule::Common, 1008, nullptr, 0, record, 8);
    }
};

}  // namespace

TEST(DeviceExchange, StatusTableThroughFaults) {
    struct Case {
        const char* what;
        Fault fault;
        int32_t status;
    } cases[] = {
        {"answered", {}, 0},
        {"silent", {Fault::Silent}, -4},
        {"other command", {Fault::WrongCommand}, -5},
        {"bad base64", {Fault::BadBase64}, -6},
        {"one byte long", {Fault::SizeDelta, 1}, -17},
        {"one byte short", {Fault::SizeDelta, -1}, -17},
        {"empty payload", {Fault::ShortPayload, 0}, -17},
        {"1-byte payload", {Fault::ShortPayload, 1}, -17},
        {"3-byte payload", {Fault::ShortPayload, 3}, -17},
        {"device code 5", {Fault::ResultCode, 5}, -1005},
        {"device code 48", {Fault::ResultCode, 48}, -1048},
        {"code 5 with a record", {Fault::ResultWithBody, 5}, -1005},
        {"code -1", {Fault::ResultCode, -1}, -18},
        {"code -983", {Fault::ResultCode, -983}, -18},
        {"code -999 (not 'invalid handle')", {Fault::ResultCode, -999}, -18},
        {"code -1000", {Fault::ResultCode, -1000}, -18},
        {"code -2000", {Fault::ResultCode, -2000}, -18},
        {"code 0x7FFFFFFF", {Fault::ResultCode, 0x7FFFFFFF}, -18},
        {"code 0x80000000", {Fault::ResultCode, 0x80000000LL}, -18},
    };
    Rig rig(800);
    const uint8_t stored[8] = {0xE9, 0x07, 12, 10, 11, 12, 13, 0};
    rig.sim->PutRecord("time", {}, Bytes(stored, stored + 8));
    for (const Case& c : cases) {
        rig.sim->ClearFaults();
        rig.sim->SetFault(1008, c.fault);
        uint8_t record[8];
        std::memset(record, 0xAB, sizeof record);
        EXPECT_EQ(c.status, rig.GetTime(record)) << c.what;
        if (c.status == 0)
            EXPECT_EQ(0, std::memcmp(record, stored, 8)) << c.what;
        else
            for (uint8_t b : record) ASSERT_EQ(0xAB, b) << c.what << ": record touched";
    }
    // A null record wants no length check.
    rig.sim->ClearFaults();
    rig.sim->SetFault(1008, {Fault::SizeDelta, 1});
    EXPECT_EQ(0, rig.device->Call(IdentityModule::Common, 1008, nullptr, 0, nullptr, 8));
    // Status-only succeeds on any length once the code is 0.
    EXPECT_EQ(0, rig.device->Call(IdentityModule::Common, 1008, nullptr, 0));
}

TEST(DeviceExchange, EmptyRequestIsTheBareHead) {
    Rig rig;
    EXPECT_EQ(0, rig.device->Call(IdentityModule::Common, 1004, nullptr, 0));
    auto reboot = rig.server.RequestsFor(1004);
    ASSERT_EQ(1u, reboot.size());
    EXPECT_EQ(0u, reboot[0].head.length);
    EXPECT_EQ(100u, reboot[0].head.type);
    EXPECT_EQ(0xFFFFFFFFu, reboot[0].head.magic);
}

TEST(DeviceExchange, SixteenThreadsGetTheirOwnRepliesOutOfOrder) {
    Rig rig(3000);
    // Sixteen record kinds, each answered after its own delay.
    for (uint32_t i = 0; i < 16; ++i) {
        uint32_t cmd = 5000 + i;
        rig.sim->SetRule(cmd, {devsim::CommandRule::Record, 4, "k" + std::to_string(i)});
        rig.sim->PutRecord("k" + std::to_string(i), {}, Bytes{uint8_t(i), 1, 2, 3});
        Fault slow{Fault::None};
        slow.delay = std::chrono::milliseconds((15 - i) * 10);
        rig.sim->SetFault(cmd, slow);
    }
    std::atomic<int> ok{0};
    std::vector<std::thread> threads;
    for (uint32_t i = 0; i < 16; ++i)
        threads.emplace_back([&, i] {
            for (int round = 0; round < 5; ++round) {
                uint8_t reply[4] = {};
                if (rig.device->Call(IdentityModule::Common, 5000 + i, nullptr, 0, reply, 4) == 0 &&
                    reply[0] == i)
                    ++ok;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(80, ok.load());
}

TEST(DeviceExchange, EqualIdentitiesOfTwoModulesBothSucceed) {
    Rig rig(2000);
    rig.sim->SetRule(2006, {devsim::CommandRule::Record, 65, "channel"});
    // Bring both counters to the same value.
    uint32_t common = tsl::NextIdentity(IdentityModule::Common);
    uint32_t acc = tsl::NextIdentity(IdentityModule::Acc);
    while (acc < common) acc = tsl::NextIdentity(IdentityModule::Acc);
    while (common < acc) common = tsl::NextIdentity(IdentityModule::Common);
    // The common reply is held back, so the family reply of the same identity
    // arrives while both wait.
    Fault slow;
    slow.delay = 200ms;
    rig.sim->SetFault(1008, slow);
    int32_t commonStatus = -99, accStatus = -99;
    std::thread first([&] {
        uint8_t t[8];
        commonStatus = rig.device->Call(IdentityModule::Common, 1008, nullptr, 0, t, 8);
    });
    std::this_thread::sleep_for(50ms);
    uint8_t channel[65];
    accStatus = rig.device->Call(IdentityModule::Acc, 2006, nullptr, 0, channel, 65);
    first.join();
    EXPECT_EQ(0, commonStatus);
    EXPECT_EQ(0, accStatus);
    EXPECT_EQ(rig.server.RequestsFor(1008).back().head.identity,
              rig.server.RequestsFor(2006).back().head.identity);
}

TEST(DeviceExchange, LateReplyDisturbsNothing) {
    Rig rig(375);
    rig.sim->SetRule(2006, {devsim::CommandRule::Record, 65, "channel"});
    Fault late;
    late.delay = 750ms;
    late.once = true;
    rig.sim->SetFault(1008, late);
    uint8_t t[8];
    EXPECT_EQ(-4, rig.GetTime(t));
    // The next family request takes the late reply's identity on purpose.
    uint32_t lateIdentity = rig.server.RequestsFor(1008).back().head.identity;
    uint32_t acc = tsl::NextIdentity(IdentityModule::Acc);
    while (acc + 1 < lateIdentity) acc = tsl::NextIdentity(IdentityModule::Acc);
    Fault slowAcc;
    slowAcc.delay = 625ms;
    rig.sim->SetFault(2006, slowAcc);
    rig.device->setTimeoutMs(1000);
    uint8_t channel[65];
    EXPECT_EQ(0, rig.device->Call(IdentityModule::Acc, 2006, nullptr, 0, channel, 65));
    EXPECT_EQ(0, rig.GetTime(t));
}

TEST(DeviceExchange, ZeroTimeoutFailsUnlessAlreadyAnswered) {
    Rig rig(500);
    rig.device->setTimeoutMs(0);
    Fault slow;
    slow.delay = 50ms;
    rig.sim->SetFault(1008, slow);
    uint8_t t[8];
    EXPECT_EQ(-4, rig.GetTime(t));
}

TEST(DeviceExchange, ClosedConnectionGivesSendError) {
    Rig rig;
    rig.device->Logout();
    for (int i = 0; i < 100 && rig.hookCalls.load() == 0; ++i) std::this_thread::sleep_for(10ms);
    uint8_t t[8];
    EXPECT_EQ(-8, rig.GetTime(t));
    EXPECT_EQ(1, rig.hookCalls.load());
}

TEST(DeviceDispatch, PushedMessagesAreNeverResponses) {
    Rig rig(800);
    for (uint32_t cmd : {1800u, 2800u, 4800u, 10800u}) {
        devsim::CommandRule status;
        rig.sim->SetRule(cmd, status);
        // A request with that command waits in vain: its reply is an event.
        EXPECT_EQ(-4, rig.device->Call(IdentityModule::Common, cmd, nullptr, 0)) << cmd;
    }
    EXPECT_EQ(4u, rig.device->WaitForEvents(4, 10s));
    // Nor is a heartbeat reply.
    EXPECT_EQ(-4, rig.device->Call(IdentityModule::Common, 1007, nullptr, 0));
}

TEST(DeviceDispatch, LoginReplyMatchedWhateverItsIdentity) {
    Rig rig(500, false);
    rig.sim->SetFault(1001, {Fault::WrongIdentity, 12345});
    uint8_t info[128];
    EXPECT_EQ(0, rig.device->Login("admin", "admin123", info));
    rig.sim->ClearFaults();
    Rig bad(500, false);
    EXPECT_EQ(-1007, bad.device->Login("admin", "wrong", info));
}

TEST(DeviceDispatch, EventsDeliveredAndHostilePushesDropped) {
    Rig rig;
    // Too large to decipher into the event area, undecodable, then valid.
    rig.server.Push(1800, Bytes(1025, 1));
    Bytes bad = rig.server.Message(1800, Bytes(64, 2));
    bad[30] = '*';
    rig.server.PushRaw(bad);
    Bytes huge(22 + 2000, 'A');
    devsim::Head h;
    h.cmd = 1800;
    h.length = 2000;
    devsim::PutHead(huge.data(), h);
    rig.server.PushRaw(huge);
    rig.server.Push(1800, Bytes(1024, 3));
    rig.server.Push(2801, Bytes(64, 4));
    ASSERT_EQ(2u, rig.device->WaitForEvents(2, 10s));
    std::this_thread::sleep_for(50ms);
    std::lock_guard<std::mutex> lock(rig.device->mutex);
    ASSERT_EQ(2u, rig.device->events.size());
    std::vector<size_t> sizes{rig.device->events[0].payload.size(), rig.device->events[1].payload.size()};
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ((std::vector<size_t>{64, 1024}), sizes);
    // The connection survived all of it.
    uint8_t t[8];
    EXPECT_EQ(0, rig.GetTime(t));
}

TEST(DeviceDispatch, FloodingDeviceIsBoundedPerDevice) {
    Rig rig;
    rig.device->hold = true;  // every worker blocks in the handler
    for (int i = 0; i < 1200; ++i) rig.server.Push(1800, Bytes(64, 1));
    uint8_t t[8];
    EXPECT_EQ(0, rig.GetTime(t));  // the receive thread kept up
    rig.device->WaitForEvents(16, 10s);
    rig.device->Release();
    // Everything queued arrives; what was dropped never does.
    rig.device->WaitForEvents(1024, 20s);
    std::this_thread::sleep_for(300ms);
    size_t delivered = rig.device->WaitForEvents(1200, 0ms);
    EXPECT_GE(delivered, 1024u);
    EXPECT_LE(delivered, 1024u + 16u);
}

TEST(DeviceDispatch, QueuedEventOfDestroyedDeviceDeliversNothing) {
    auto sim = std::make_shared<devsim::SimDevice>(100);
    devsim::SimServer server(sim);
    // Occupy the whole pool first, so the device's event stays queued.
    std::mutex m;
    std::condition_variable cv;
    bool open = false;
    for (int i = 0; i < 16; ++i)
        tsl::ThreadPool::Instance().Enqueue([&] {
            std::unique_lock<std::mutex> lock(m);
            cv.wait(lock, [&] { return open; });
        });
    std::weak_ptr<RecordingDevice> weak;
    {
        auto device = std::make_shared<RecordingDevice>("127.0.0.1", server.Port());
        weak = device;
        device->setRegistered(true);
        ASSERT_EQ(0, device->Connect());
        server.Push(1800, Bytes(64, 1));
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_TRUE(weak.expired());
    {
        std::lock_guard<std::mutex> lock(m);
        open = true;
    }
    cv.notify_all();
    std::this_thread::sleep_for(100ms);
}

TEST(DeviceHeartbeat, SilentDeviceClosedAfterTwoBeats) {
    Rig rig(300, false);
    rig.sim->SetAnswerHeartbeat(false);
    uint8_t info[128];
    ASSERT_EQ(0, rig.device->Login("admin", "admin123", info));
    // The heartbeat starts as the login returns.
    auto start = Clock::now();
    Clock::duration secondBeat{};
    while (rig.hookCalls.load() == 0 && Clock::now() - start < 3s) {
        if (secondBeat == Clock::duration{} && rig.server.RequestsFor(1007).size() == 2)
            secondBeat = Clock::now() - start;
        std::this_thread::sleep_for(2ms);
    }
    auto closedAfter = Clock::now() - start;
    EXPECT_EQ(2u, rig.server.RequestsFor(1007).size());
    // Each beat at the first tick after its interval: the second at about 2T.
    EXPECT_LT(secondBeat, 720ms);
    // Two intervals and one tick; the margin is for loaded machines.
    EXPECT_GE(closedAfter, 600ms);
    EXPECT_LE(closedAfter, 1500ms);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(1, rig.hookCalls.load());
}

TEST(DeviceHeartbeat, AnsweringDeviceStaysUp) {
    Rig rig(250);
    std::this_thread::sleep_for(5s);  // 20 intervals
    EXPECT_EQ(0, rig.hookCalls.load());
    size_t beats = rig.server.RequestsFor(1007).size();
    // A beat goes out at the first 100 ms tick after each interval.
    EXPECT_GE(beats, 12u);
    EXPECT_LE(beats, 20u);
    auto beat = rig.server.RequestsFor(1007).front();
    EXPECT_EQ(20u, beat.plain.size());
    EXPECT_EQ(44u, beat.head.length);
    EXPECT_EQ(20, beat.plain[0]);
}

TEST(DeviceHeartbeat, ReplyResetsTheCount) {
    Rig rig(300, false);
    std::atomic<int> beats{0};
    // Only the first heartbeat is answered: the count starts again from it.
    rig.sim->SetHandler(1007, [&](const devsim::Request&) -> std::optional<Bytes> {
        if (beats++ == 0) return Bytes{0, 0, 0, 0};
        return std::nullopt;
    });
    uint8_t info[128];
    auto start = Clock::now();
    ASSERT_EQ(0, rig.device->Login("admin", "admin123", info));
    while (rig.hookCalls.load() == 0 && Clock::now() - start < 3s) std::this_thread::sleep_for(5ms);
    auto closedAfter = Clock::now() - start;
    EXPECT_EQ(3, beats.load());
    EXPECT_GE(closedAfter, 900ms);
    EXPECT_LE(closedAfter, 1800ms);
}

TEST(DeviceHeartbeat, NonPositiveIntervalBeatsEveryTick) {
    Rig rig(500, false);
    rig.sim->SetAnswerHeartbeat(false);
    uint8_t info[128];
    ASSERT_EQ(0, rig.device->Login("admin", "admin123", info));
    rig.device->setTimeoutMs(0);
    auto start = Clock::now();
    while (rig.hookCalls.load() == 0 && Clock::now() - start < 3s) std::this_thread::sleep_for(5ms);
    EXPECT_LE(Clock::now() - start, 600ms);
    EXPECT_EQ(1, rig.hookCalls.load());
}

TEST(DeviceLifecycle, DestroyingLoggedInDeviceIsQuickAndSilent) {
    Rig rig(5000);
    auto start = Clock::now();
    rig.device.reset();
    EXPECT_LE(Clock::now() - start, 500ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(0, rig.hookCalls.load());
}

TEST(DeviceLifecycle, HookInstalledAfterTheCloseStillReports) {
    Rig rig;
    rig.device->SetDisconnectHook(nullptr);
    rig.server.CloseConnections();
    std::this_thread::sleep_for(100ms);
    std::atomic<int> late{0};
    rig.device->SetDisconnectHook([&](int) { ++late; });
    EXPECT_EQ(1, late.load());
}

TEST(DeviceLifecycle, ConnectFailureIsConnectTimeout) {
    auto device = std::make_shared<Device>("127.0.0.1", 1);
    device->setTimeoutMs(300);
    EXPECT_EQ(-3, device->Connect());
    auto bad = std::make_shared<Device>("no.such.host", 80);
    EXPECT_EQ(-3, bad->Connect());
}

TEST(DeviceLog, RequestsAreTracedWithoutCredentials) {
    char dir[] = "/tmp/tsl_devlog_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    std::string program = std::string(dir) + "/app";
    tsl::Logger::Instance().Init(program.c_str(), "./log/", "Tessaly.log");
    {
        Rig rig;
        uint8_t t[8];
        EXPECT_EQ(0, rig.GetTime(t));
        char change[32] = "new-secret-pw";
        EXPECT_EQ(0, rig.device->Call(IdentityModule::Common, 1003, change, sizeof change));
    }
    tsl::Logger::Instance().Shutdown();
    std::ifstream in(std::string(dir) + "/./log//Tessaly.log");
    std::string log((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(std::string::npos, log.find("Send head: type[100] cmd[1001]"));
    EXPECT_NE(std::string::npos, log.find("Send head: type[100] cmd[1008]"));
    EXPECT_NE(std::string::npos, log.find("Recv payload dec: len[12] rc[0]"));
    EXPECT_NE(std::string::npos, log.find("2a 2a 2a 2a"));
    for (const char* secret : {"admin123", "61 64 6d 69 6e 31 32 33", "new-secret", "6e 65 77 2d 73 65 63"})
        EXPECT_EQ(std::string::npos, log.find(secret)) << secret;
    std::string cleanup = std::string("rm -rf ") + dir;
    EXPECT_EQ(0, std::system(cleanup.c_str()));
}

// The hex dumps of a log, each with the command and the line it follows.
struct LoggedDump {
    uint32_t cmd = 0;
    std::string after;
    std::string bytes;
};

std::vector<LoggedDump> Dumps(const std::string& log) {
    std::vector<LoggedDump> dumps;
    std::string last;
    uint32_t cmd = 0;
    bool inDump = false;
    size_t start = 0;
    for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = log.substr(start, end - start);
        if (inDump && line.size() >= 9 && line[8] == ' ' && line.find_first_not_of("0123456789abcdef") == 8) {
            for (size_t cell = 9; cell + 2 <= line.size() && line[cell] != '|'; cell += 3)
                if (line[cell] != ' ')
                    dumps.back().bytes += static_cast<char>(std::stoi(line.substr(cell, 2), nullptr, 16));
            continue;
        }
        if (line.rfind("         00 01", 0) == 0) continue;
        const size_t bracket = line.find(']');
        const std::string message = bracket == std::string::npos ? line : line.substr(bracket + 1);
        inDump = message.empty();
        if (inDump) {
            dumps.push_back({cmd, last, {}});
            continue;
        }
        last = message;
        const size_t at = message.find("cmd[");
        if (message.rfind("Send head:", 0) == 0 || message.rfind("Recv head:", 0) == 0)
            cmd = static_cast<uint32_t>(std::stoul(message.substr(at + 4)));
    }
    return dumps;
}

// Sets a record, then reads it back by its key (its first `keyBytes`).
template <class Record>
void SetThenGet(int h, const Record& record, int (*set)(int, Record), int (*get)(int, Record*),
                size_t keyBytes) {
    EXPECT_EQ(0, set(h, record));
    Record back{};
    std::memcpy(&back, &record, keyBytes);
    EXPECT_EQ(0, get(h, &back));
    EXPECT_EQ(0, std::memcmp(&back, &record, sizeof record));
}

// Every record with a password field, sent and read back through its exports:
// no password reaches the log in either direction, in clear or enciphered.
TEST(DeviceLog, NoPasswordFieldOfAnyRecordIsLogged) {
    struct Case {
        const char* name;
        int type;
        std::vector<std::string> secrets;
        std::vector<std::pair<uint32_t, bool>> messages;  // command, reply
        std::function<void(int)> run;
    };
    const Case cases[] = {
        {"card password",
         100,
         {"Pw1card8"},
         {{2003, false}, {2004, false}, {2000, true}},
         [](int h) {
             Np_AccCardInfo card{};
             std::strcpy(card.cardNo, "CARD-1");
             std::memcpy(card.password, "Pw1card8", 8);
             SetThenGet(h, card, TSL_NET_Acc_SetCardInfo, TSL_NET_Acc_GetCardInfo, sizeof card.cardNo);
             EXPECT_EQ(0, TSL_NET_Acc_ModCardInfo(h, card));
         }},
        {"door duress and super passwords",
         100,
         {"Pw2dure", "Pw3supr"},
         {{2007, false}, {2006, true}},
         [](int h) {
             Np_AccChannelInfo door{};
             door.channel = 1;
             std::strcpy(door.duressPassword, "Pw2dure");
             std::strcpy(door.superPassword, "Pw3supr");
             SetThenGet(h, door, TSL_NET_Acc_SetChannelInfo, TSL_NET_Acc_GetChannelInfo, 1);
         }},
        {"FSU user password",
         102,
         {"Pw4fsu-user"},
         {{4003, false}, {4001, true}},
         [](int h) {
             Np_FsuUserData user{};
             user.index = 1;
             std::strcpy(user.password, "Pw4fsu-user");
             SetThenGet(h, user, TSL_NET_FSU_SetUserData, TSL_NET_FSU_GetUserData, 1);
         }},
        {"login and password change",
         100,
         {"admin123", "new-secret-pw"},
         {{1001, false}, {1003, false}},
         [](int h) { EXPECT_EQ(0, TSL_NET_DEV_SetPassword(h, "new-secret-pw")); }},
    };
    // Every row of the table belongs to one of these cases.
    size_t rows = 0;
    const tsl::SecretField* table = tsl::SecretFields(&rows);
    for (size_t i = 0; i < rows; ++i) {
        bool covered = false;
        for (const Case& c : cases)
            for (const auto& m : c.messages) covered |= m.first == table[i].cmd && m.second == table[i].reply;
        EXPECT_TRUE(covered) << "no case for command " << table[i].cmd;
    }

    char dir[] = "/tmp/tsl_devlog_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    std::string program = std::string(dir) + "/app";
    tsl::Logger::Instance().Init(program.c_str(), "./log/", "Tessaly.log");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tsltest::SimLogin login(c.type);
        ASSERT_GT(login.handle, 0);
        c.run(login.handle);
    }
    tsl::Logger::Instance().Shutdown();
    std::ifstream in(std::string(dir) + "/./log//Tessaly.log");
    std::string log((std::istreambuf_iterator<char>(in)), {});
    std::vector<LoggedDump> dumps = Dumps(log);
    ASSERT_GT(dumps.size(), 30u);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [cmd, reply] : c.messages) {
            const std::string plain = reply ? "Recv payload dec" : "Send payload ori";
            const std::string cipher = reply ? "Recv payload ori" : "Send payload enc";
            int plainDumps = 0;
            for (const LoggedDump& d : dumps) {
                if (d.cmd != cmd) continue;
                plainDumps += d.after.rfind(plain, 0) == 0;
                EXPECT_NE(0u, d.after.rfind(cipher, 0)) << "enciphered dump of " << cmd;
            }
            EXPECT_GT(plainDumps, 0) << cmd;
        }
        for (const std::string& secret : c.secrets) {
            EXPECT_EQ(std::string::npos, log.find(secret)) << secret;
            for (const LoggedDump& d : dumps)
                EXPECT_EQ(std::string::npos, d.bytes.find(secret)) << secret << " in a dump of " << d.cmd;
        }
    }
    std::string cleanup = std::string("rm -rf ") + dir;
    EXPECT_EQ(0, std::system(cleanup.c_str()));
}

// A device that takes the login and then never reads again.
TEST(DeviceExchange, PeerThatStopsReadingHoldsNoCallerPastItsTimeout) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr));
    ASSERT_EQ(0, listen(listener, 1));
    socklen_t len = sizeof addr;
    getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    int peer = -1;
    std::thread acceptor([&] {
        peer = accept(listener, nullptr, nullptr);
        uint8_t head[22];
        if (recv(peer, head, sizeof head, MSG_WAITALL) != 22) return;
        devsim::Head h = devsim::GetHead(head);
        std::vector<uint8_t> text(h.length);
        recv(peer, text.data(), text.size(), MSG_WAITALL);
        devsim::Head reply = h;
        Bytes plain(4 + 128, 0);
        Bytes message = devsim::BuildMessage(reply, plain);
        send(peer, message.data(), message.size(), MSG_NOSIGNAL);
    });
    auto device = std::make_shared<RecordingDevice>("127.0.0.1", ntohs(addr.sin_port));
    std::atomic<int> hook{0};
    device->setTimeoutMs(1000);
    device->SetDisconnectHook([&](int) { ++hook; });
    ASSERT_EQ(0, device->Connect());
    uint8_t info[128];
    ASSERT_EQ(0, device->Login("admin", "admin123", info));
    acceptor.join();
    // Far more than the socket buffers hold (54 MB).
    std::vector<std::thread> callers;
    std::atomic<int> late{0};
    std::vector<uint8_t> chunk(51208, 0x5A);
    for (int i = 0; i < 20; ++i)
        callers.emplace_back([&] {
            for (int round = 0; round < 40; ++round) {
                auto t0 = Clock::now();
                int32_t status = device->Call(IdentityModule::Common, 1031, chunk.data(),
                                              static_cast<uint32_t>(chunk.size()));
                if (status == 0 || Clock::now() - t0 > 2500ms) ++late;
            }
        });
    for (auto& t : callers) t.join();
    EXPECT_EQ(0, late.load());
    auto t0 = Clock::now();
    while (hook.load() == 0 && Clock::now() - t0 < 3s) std::this_thread::sleep_for(5ms);
    EXPECT_EQ(1, hook.load());
    close(peer);
    close(listener);
}
