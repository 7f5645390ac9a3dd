// Discovery and broadcast network setup across real links. Runs only inside
// the private namespaces of tests/netns/netns_run.sh: the simulated devices
// answer from the peer namespace, two veth links away.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "Base/Manager.h"
#include "Base/NetworkAdapters.h"
#include "Discovery.h"
#include "TslDiscovery.h"
#include "netns/Netns.h"

namespace {

using devsim::Corruption;
using devsim::DiscoveryDevice;
using devsim::DiscoveryResponder;
using devsim::SetupAnswer;
using devsim::SimMac;
using std::chrono::milliseconds;

std::unique_ptr<DiscoveryResponder> StartResponder(devsim::DiscoveryOptions options = {}) {
    return netns::InPeer([&] { return std::make_unique<DiscoveryResponder>(options); });
}

DiscoveryDevice Device(const std::string& mac, uint32_t type = 100) {
    DiscoveryDevice d;
    d.mac = mac;
    d.type = type;
    return d;
}

std::vector<std::string> Macs(const std::vector<Np_SearchInfo>& records) {
    std::vector<std::string> macs;
    for (const Np_SearchInfo& r : records) macs.emplace_back(r.mac, strnlen(r.mac, sizeof r.mac));
    return macs;
}

std::vector<Np_SearchInfo> Search(uint32_t type = 0) {
    return tsl::Manager::Instance().Search(type);
}

std::vector<devsim::SeenRequest> RequestsFor(const DiscoveryResponder& r, uint32_t cmd) {
    std::vector<devsim::SeenRequest> out;
    for (const auto& q : r.Requests())
        if (q.head.cmd == cmd) out.push_back(q);
    return out;
}

TEST(DiscoverySearch, AdapterTableHoldsTheTestLinks) {
    const std::map<std::string, std::string> expected{{"10.9.0.1", "02:00:00:09:00:01"},
                                                      {"10.9.1.1", "02:00:00:09:01:01"}};
    EXPECT_EQ(tsl::LocalAdapters(), expected);
    EXPECT_EQ(tsl::NetworkAdapters(), expected);
    EXPECT_EQ(tsl::Manager::Instance().SocketCount(), 2u);
}

TEST(DiscoverySearch, OneDeviceThroughTwoAdaptersGivesOneRecord) {
    auto responder = StartResponder();
    DiscoveryDevice d = Device("02:5a:00:00:00:07", 103);
    d.serial = "SN-0007";
    d.name = "gate house";
    d.typeName = "NTP";
    d.firmware = "V2.3.4";
    d.tcpPort = 9007;
    d.ip = "10.9.0.77";
    d.activated = 0;
    d.client1 = "10.9.0.100";
    d.hardware = "HW-7";
    d.copies = 2;
    responder->SetDevices({d});

    std::vector<Np_SearchInfo> found = Search();
    ASSERT_EQ(found.size(), 1u);
    const Np_SearchInfo& r = found[0];
    EXPECT_STREQ(r.serialNumber, "SN-0007");
    EXPECT_STREQ(r.deviceName, "gate house");
    EXPECT_STREQ(r.deviceTypeName, "NTP");
    EXPECT_STREQ(r.firmwareVersion, "V2.3.4");
    EXPECT_EQ(r.port, 9007u);
    EXPECT_STREQ(r.mac, "02:5a:00:00:00:07");
    EXPECT_STREQ(r.ip, "10.9.0.77");
    EXPECT_EQ(r.activated, 0);
    EXPECT_STREQ(r.client1, "10.9.0.100");
    EXPECT_STREQ(r.hardwareVersion, "HW-7");
    EXPECT_EQ(r.deviceType, 103u);

    // One bare 22-byte request per adapter, both with the same identity.
    auto requests = RequestsFor(*responder, devsim::kCmdSearch);
    ASSERT_EQ(requests.size(), 2u);
    std::set<std::string> senders;
    for (const auto& q : requests) {
        senders.insert(q.from);
        EXPECT_EQ(q.head.magic, 0xFFFFFFFFu);
        EXPECT_EQ(q.head.version, 0x0200);
        EXPECT_EQ(q.head.type, 0u);
        EXPECT_EQ(q.head.length, 0u);
        EXPECT_EQ(q.head.identity, requests[0].head.identity);
    }
    EXPECT_EQ(senders, (std::set<std::string>{"10.9.0.1", "10.9.1.1"}));
}

TEST(DiscoverySearch, OrderedByMacWhateverTheArrival) {
    auto responder = StartResponder();
    for (bool zeroFirst : {true, false}) {
        SCOPED_TRACE(zeroFirst ? "0 arrives first" : "1 arrives first");
        DiscoveryDevice zero = Device("aa:0b:00:00:00:01"), one = Device("aa:1b:00:00:00:01");
        (zeroFirst ? one : zero).delay = milliseconds(60);
        responder->SetDevices({zero, one});
        EXPECT_EQ(Macs(Search()), (std::vector<std::string>{"aa:0b:00:00:00:01", "aa:1b:00:00:00:01"}));
    }
}

TEST(DiscoverySearch, LaterReplyOfTheSameMacReplacesTheRecordWhole) {
    auto responder = StartResponder();
    DiscoveryDevice first = Device("02:5a:00:00:00:01"), second = first;
    first.name = "first";
    first.client1 = "10.9.0.9";
    second.name = "second";
    second.delay = milliseconds(60);
    responder->SetDevices({first, second});
    std::vector<Np_SearchInfo> found = Search();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_STREQ(found[0].deviceName, "second");
    EXPECT_STREQ(found[0].client1, "");
}

TEST(DiscoverySearch, AsksForTheTypeGiven) {
    auto responder = StartResponder();
    responder->SetDevices({Device(SimMac(1), 100), Device(SimMac(2), 102), Device(SimMac(3), 102)});
    EXPECT_EQ(Macs(Search(102)), (std::vector<std::string>{SimMac(2), SimMac(3)}));
    EXPECT_EQ(RequestsFor(*responder, devsim::kCmdSearch).back().head.type, 102u);
    EXPECT_EQ(Search(0).size(), 3u);
}

TEST(DiscoverySearch, NonZeroResultIsLeftOut) {
    auto responder = StartResponder();
    DiscoveryDevice refused = Device(SimMac(2));
    refused.searchResult = 1;
    responder->SetDevices({Device(SimMac(1)), refused});
    EXPECT_EQ(Macs(Search()), (std::vector<std::string>{SimMac(1)}));
}

TEST(DiscoverySearch, LateRepliesAreLeftOutAndDrainedByTheNextSearch) {
    auto responder = StartResponder();
    DiscoveryDevice late = Device(SimMac(2));
    late.delay = milliseconds(450);
    responder->SetDevices({Device(SimMac(1)), late});
    EXPECT_EQ(Macs(Search()), (std::vector<std::string>{SimMac(1)}));

    // The late replies (one per link) are now queued at the SDK's sockets;
    // the device itself falls silent, so only a stale reply could bring it back.
    ASSERT_TRUE(responder->WaitForReplies(4, milliseconds(3000)));
    std::this_thread::sleep_for(milliseconds(30));
    responder->SetDevices({Device(SimMac(1))});
    EXPECT_EQ(Macs(Search()), (std::vector<std::string>{SimMac(1)}));
}

TEST(DiscoverySearch, ThreeHundredDevicesAreAllCountedAnd256Returned) {
    auto responder = StartResponder();
    std::vector<DiscoveryDevice> devices = devsim::MakeDevices(300, 101);
    std::shuffle(devices.begin(), devices.end(), std::mt19937(3));  // arrival order is not MAC order
    responder->SetDevices(devices);

    std::vector<Np_SearchInfo> list(257);
    std::memset(list.data(), 0x7E, list.size() * sizeof list[0]);
    int count = -1;
    ASSERT_EQ(TSL_NET_DEV_Search(list.data(), &count, 0), 0);
    EXPECT_EQ(count, 300);
    for (int i = 0; i < 256; ++i) ASSERT_STREQ(list[i].mac, SimMac(static_cast<uint32_t>(i)).c_str()) << i;
    EXPECT_EQ(list[256].mac[0], 0x7E) << "wrote past 256 records";

    // Without a count the list is still filled.
    std::memset(list.data(), 0, list.size() * sizeof list[0]);
    ASSERT_EQ(TSL_NET_DEV_Search(list.data(), nullptr, 0), 0);
    EXPECT_STREQ(list[255].mac, SimMac(255).c_str());
}

struct HostileCase {
    const char* name;
    Corruption corruption;
    size_t truncateTo = 0;
};

TEST(DiscoveryHostile, BadDatagramsAreSkippedAndHarmNoOther) {
    const HostileCase cases[] = {
        {"empty datagram", Corruption::Truncate, 0},
        {"10 bytes", Corruption::Truncate, 10},
        {"21 bytes", Corruption::Truncate, 21},
        {"head only, length says more", Corruption::Truncate, 22},
        {"cut inside the payload", Corruption::Truncate, 300},
        {"length field beyond the datagram", Corruption::LengthBeyond},
        {"length field 0xFFFFFFFF", Corruption::HugeLength},
        {"record one byte short", Corruption::ShortRecord},
        {"MAC field without NUL", Corruption::MacWithoutNul},
        {"payload not base64", Corruption::BadCipher},
        {"datagram larger than the receive area", Corruption::Oversized},
    };
    // Good and bad replies interleaved, so a skipped datagram is followed by
    // a good one that must decode untouched.
    std::vector<DiscoveryDevice> devices;
    std::map<std::string, std::string> caseOfMac;
    for (uint32_t i = 0; i < std::size(cases); ++i) {
        devices.push_back(Device(SimMac(2 * i)));
        DiscoveryDevice bad = Device(SimMac(2 * i + 1));
        bad.corruption = cases[i].corruption;
        bad.truncateTo = cases[i].truncateTo;
        devices.push_back(bad);
        caseOfMac[bad.mac] = cases[i].name;
    }
    auto responder = StartResponder();
    responder->SetDevices(devices);

    std::vector<std::string> expected;
    for (uint32_t i = 0; i < std::size(cases); ++i) expected.push_back(SimMac(2 * i));
    std::vector<std::string> got = Macs(Search());
    for (const std::string& mac : got)
        for (const auto& [badMac, name] : caseOfMac)
            if (mac.compare(0, badMac.size(), badMac) == 0) ADD_FAILURE() << "accepted: " << name;
    EXPECT_EQ(got, expected);
}

// A host in the peer namespace that answers the first request it hears with
// an endless stream of junk datagrams from several sockets.
class Flooder {
  public:
    Flooder() {
        listener_ = netns::InPeer([] {
            int fd = socket(AF_INET, SOCK_DGRAM, 0);
            int on = 1;
            setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            sockaddr_in any{};
            any.sin_family = AF_INET;
            any.sin_port = htons(devsim::kDiscoveryPort);
            bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any);
            return fd;
        });
        for (int& fd : senders_) fd = netns::InPeer([] { return socket(AF_INET, SOCK_DGRAM, 0); });
        waiter_ = std::thread([this] {
            uint8_t request[64];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            if (recvfrom(listener_, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&from), &length) <
                0)
                return;
            flooding_ = true;
            for (int fd : senders_)
                threads_.emplace_back([this, fd, from] {
                    uint8_t junk[22] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x02};
                    while (!stop_)
                        sendto(fd, junk, sizeof junk, 0, reinterpret_cast<const sockaddr*>(&from),
                               sizeof from);
                });
        });
    }
    ~Flooder() {
        stop_ = true;
        shutdown(listener_, SHUT_RDWR);
        waiter_.join();
        for (auto& t : threads_) t.join();
        close(listener_);
        for (int fd : senders_) close(fd);
    }
    bool Flooding() const { return flooding_.load(); }

  private:
    int listener_ = -1;
    int senders_[4];
    std::atomic<bool> stop_{false};
    std::atomic<bool> flooding_{false};
    std::thread waiter_;
    std::vector<std::thread> threads_;
};

// A host that keeps sending holds neither a search (in its reply window nor in
// the next search's drain) nor a network setup past the window.
TEST(DiscoveryHostile, EndlessDatagramsHoldNoCallerPastTheWindow) {
    auto flooder = std::make_unique<Flooder>();
    const struct {
        const char* name;
        std::function<void()> call;
    } calls[] = {
        {"search", [] { Search(); }},
        {"search after the flood began", [] { Search(); }},
        {"network setup", [] { EXPECT_EQ(TSL_NET_DEV_SetNetworkInfo(Np_NetworkInfo{}), -4); }},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.name);
        auto done = std::make_shared<std::promise<void>>();
        auto start = std::chrono::steady_clock::now();
        std::thread caller([&c, done] {
            c.call();
            done->set_value();
        });
        if (done->get_future().wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "still reading after 5 s";
            std::fflush(stdout);
            std::_Exit(1);
        }
        caller.join();
        EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1500));
        EXPECT_TRUE(flooder->Flooding());
    }
}

std::unique_ptr<DiscoveryResponder> SetupResponder(SetupAnswer answer, int32_t result = 0,
                                                   devsim::DiscoveryOptions options = {}) {
    auto responder = StartResponder(options);
    DiscoveryDevice d = Device(SimMac(1));
    d.setupAnswer = answer;
    d.setupResult = result;
    responder->SetDevices({d});
    return responder;
}

Np_NetworkInfo Settings() {
    Np_NetworkInfo info;
    for (size_t i = 0; i < sizeof info.data; ++i) info.data[i] = static_cast<uint8_t>(i * 3 + 1);
    return info;
}

TEST(DiscoverySetup, AcceptedSettingsArriveWhole) {
    auto responder = SetupResponder(SetupAnswer::Reply, 0);
    Np_NetworkInfo info = Settings();
    EXPECT_EQ(TSL_NET_DEV_SetNetworkInfo(info), 0);

    auto requests = RequestsFor(*responder, devsim::kCmdNetworkSetup);
    ASSERT_EQ(requests.size(), 2u);  // one per link
    for (const auto& q : requests) {
        EXPECT_EQ(q.head.type, 0u);
        EXPECT_EQ(q.head.length, 172u);  // 112 bytes padded to 128, as base64
        ASSERT_TRUE(q.decoded);
        EXPECT_TRUE(q.plain == devsim::Bytes(info.data, info.data + sizeof info.data));
    }
}

struct SetupCase {
    const char* name;
    SetupAnswer answer;
    int32_t deviceCode;
    int expected;
};

TEST(DiscoverySetup, OutcomeTable) {
    const SetupCase cases[] = {
        {"no reply", SetupAnswer::Silent, 0, -4},
        {"reply to another command only", SetupAnswer::WrongCommand, 0, -4},
        {"reply that does not decode", SetupAnswer::Undecodable, 0, -6},
        {"device refuses with 5", SetupAnswer::Reply, 5, -1005},
        {"device refuses with 48", SetupAnswer::Reply, 48, -1048},
        {"device code -999 (not 'invalid handle')", SetupAnswer::Reply, -999, -18},
        {"device code -1", SetupAnswer::Reply, -1, -18},
    };
    for (const SetupCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto responder = SetupResponder(c.answer, c.deviceCode);
        EXPECT_EQ(TSL_NET_DEV_SetNetworkInfo(Settings()), c.expected);
    }
    EXPECT_EQ(tsl::Manager::Instance().SetNetworkInfo(Settings()), -4) << "with no responder at all";
}

TEST(DiscoverySetup, AReplyOnTheSecondLinkAloneDecides) {
    devsim::DiscoveryOptions onlySecond;
    onlySecond.interface = "tslv1b";
    auto responder = SetupResponder(SetupAnswer::Reply, 7, onlySecond);
    EXPECT_EQ(tsl::Manager::Instance().SetNetworkInfo(Settings()), -1007);
    auto requests = RequestsFor(*responder, devsim::kCmdNetworkSetup);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].from, "10.9.1.1");
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!testing::GTEST_FLAG(list_tests)) {
        std::string refusal = netns::BroadcastRefusal();
        if (!refusal.empty()) {
            std::fprintf(stderr, "refusing to run: these tests broadcast; %s\n", refusal.c_str());
            return 1;
        }
    }
    return RUN_ALL_TESTS();
}
