#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "Base/Net.h"

namespace tsl {
namespace {

struct ParseCase {
    const char* text;
    std::optional<std::string> expected;  // dotted form, or nullopt for a failure
};

TEST(IPv4AddressTest, ParseTable) {
    const ParseCase cases[] = {
        {"192.168.1.10", "192.168.1.10"},
        {"192.168.1", std::nullopt},
        {"192.168.1.10.7", "192.168.1.10"},
        {"1.2.3.4.", "1.2.3.4"},
        {"010.0.0.1", "10.0.0.1"},
        {"1.2.3.256", std::nullopt},
        {"1x.2.3.4", "1.2.3.4"},
        {"1.2.3.4x", "1.2.3.4"},
        {"-0.1.2.3", "0.1.2.3"},
        {"-1.2.3.4", std::nullopt},
        {"+1.2.3.4", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1. 2.3.4", std::nullopt},
        {"1..3.4", std::nullopt},
        {"1.2.3.", std::nullopt},
        {"99999999999.1.1.1", std::nullopt},
        {"4294967297.1.1.1", std::nullopt},  // wraps to 1 in 32 bits
        {"localhost", std::nullopt},
        {"device.example", std::nullopt},
        {"", std::nullopt},
        {"0.0.0.0", "0.0.0.0"},
        {"255.255.255.255", "255.255.255.255"},
    };
    for (const ParseCase& c : cases) {
        std::optional<IPv4Address> parsed = IPv4Address::Parse(c.text);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << "\"" << c.text << "\"";
        if (parsed) {
            EXPECT_EQ(parsed->ToString(), *c.expected) << "\"" << c.text << "\"";
        }
    }
}

TEST(IPv4AddressTest, OctetsInWrittenOrderAreNetworkOrder) {
    Endpoint e{*IPv4Address::Parse("10.0.0.5"), 7000};
    sockaddr_in sa = e.ToSockaddr();
    EXPECT_EQ(sa.sin_family, AF_INET);
    EXPECT_EQ(ntohs(sa.sin_port), 7000);
    EXPECT_EQ(ntohl(sa.sin_addr.s_addr), 0x0A000005u);
    Endpoint back = Endpoint::FromSockaddr(sa);
    EXPECT_EQ(back.address.ToString(), "10.0.0.5");
    EXPECT_EQ(back.port, 7000);
}

Endpoint Loopback(uint16_t port = 0) {
    return Endpoint{*IPv4Address::Parse("127.0.0.1"), port};
}

TEST(UdpSocketTest, DatagramRoundTripNamesTheSender) {
    auto a = UdpSocket::Create(Loopback());
    auto b = UdpSocket::Create(Loopback());
    ASSERT_TRUE(a && b);
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    ASSERT_EQ(getsockname(a->Descriptor(), reinterpret_cast<sockaddr*>(&sa), &len), 0);
    Endpoint aAt = Endpoint::FromSockaddr(sa);

    b->SetRemoteEndpoint(aAt);
    ASSERT_EQ(b->Send("ping", 4), 4);
    char buffer[16] = {};
    Endpoint sender;
    ASSERT_EQ(a->ReceiveFrom(buffer, sizeof buffer, &sender), 4);
    EXPECT_EQ(std::string(buffer, 4), "ping");
    EXPECT_EQ(sender.address.ToString(), "127.0.0.1");

    ASSERT_EQ(a->SendTo("pong!", 5, sender), 5);
    ASSERT_EQ(b->ReceiveFrom(buffer, sizeof buffer, nullptr), 5);

    // Non-blocking with nothing queued: -1 at once.
    ASSERT_EQ(a->SetNonBlocking(true), 0);
    EXPECT_EQ(a->ReceiveFrom(buffer, sizeof buffer, nullptr), -1);
}

TEST(UdpSocketTest, BindFailureIsPrintedAndGivesNoSocket) {
    auto first = UdpSocket::Create(Loopback());
    ASSERT_TRUE(first);
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    getsockname(first->Descriptor(), reinterpret_cast<sockaddr*>(&sa), &len);

    testing::internal::CaptureStderr();
    auto second = UdpSocket::Create(Endpoint::FromSockaddr(sa));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(second);
    EXPECT_EQ(err.rfind("Bind failed: ", 0), 0u) << err;
    EXPECT_EQ(err.back(), '\n');
}

TEST(UdpSocketTest, ReceiveBufferCanBeRaisedPastTheDefault) {
    auto s = UdpSocket::Create(Loopback());
    ASSERT_TRUE(s);
    int granted = s->SetReceiveBuffer(4 << 20);
    if (geteuid() != 0) GTEST_SKIP() << "raising past the system cap needs CAP_NET_ADMIN";
    EXPECT_GE(granted, 4 << 20);
}

TEST(SocketTest, OnlyABareBaseHoldingADescriptorComplains) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    testing::internal::CaptureStdout();
    { Socket bare(fds[0]); }
    { auto owned = UdpSocket::Create(Loopback()); }
    { Socket empty; }
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Socket with descriptor " + std::to_string(fds[0]) +
                       " has been released by the base class. Please adhere to RAII principles.\n");
    close(fds[1]);
}

}  // namespace
}  // namespace tsl
