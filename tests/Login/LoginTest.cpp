// Logging in through the export: the family for each type code, the handle
// given, and the request that goes out.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "SimFixture.h"
#include "TslDev.h"

using devsim::Bytes;
using devsim::Fault;
using tsltest::BytesOf;
using tsltest::SimLogin;
using tsltest::WaitFor;

TEST(Login, HandlesAreLowestFreeFirst) {
    SimLogin a(100), b(101);
    EXPECT_EQ(1, a.handle);
    EXPECT_EQ(2, b.handle);
    EXPECT_EQ(0, TSL_NET_DEV_Logout(a.handle));
    EXPECT_EQ(-1, TSL_NET_DEV_Logout(a.handle));
    a.handle = 0;
    SimLogin c(102);
    EXPECT_EQ(1, c.handle);
}

TEST(Login, RefusedTypesAndFailures) {
    auto sim = std::make_shared<devsim::SimDevice>(100);
    devsim::SimServer server(sim);
    Np_LoginInfo info;
    for (int type : {99, 106, 0, -1})
        EXPECT_EQ(-2, TSL_NET_DEV_Login(type, "127.0.0.1", server.Port(), "admin", "admin123", 500, &info));
    // Ports outside 1-65535 are refused, not cut to 16 bits (which would
    // reach the simulator's port).
    const int port = server.Port();
    for (int wrong : {0, -1, 65536, 65536 + port, port - 65536, INT_MIN, INT_MAX})
        EXPECT_EQ(-3, TSL_NET_DEV_Login(100, "127.0.0.1", wrong, "admin", "admin123", 500, &info)) << wrong;
    EXPECT_EQ(0u, server.AcceptedCount());
    EXPECT_EQ(-1007, TSL_NET_DEV_Login(100, "127.0.0.1", server.Port(), "admin", "nope", 500, &info));
    EXPECT_EQ(-3, TSL_NET_DEV_Login(100, "127.0.0.1", 1, "admin", "admin123", 500, &info));
    EXPECT_EQ(-3, TSL_NET_DEV_Login(100, "localhost", server.Port(), "admin", "admin123", 500, &info));
    sim->SetFault(1001, {Fault::Silent});
    EXPECT_EQ(-4, TSL_NET_DEV_Login(100, "127.0.0.1", server.Port(), "admin", "admin123", 200, &info));
    // A failed login leaves nothing behind: the simulator sees every connection closed.
    EXPECT_TRUE(WaitFor([&] { return server.ConnectionCount() == 0; }));
}

TEST(Login, LoginRequestAndReply) {
    auto sim = std::make_shared<devsim::SimDevice>(100, "operator", "0123456789abcdefXYZ");
    Bytes record(128);
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i);
    sim->SetLoginInfo(record);
    devsim::SimServer server(sim);
    Np_LoginInfo info{};
    // The password is cut to 15 characters on the wire.
    sim->SetCredentials("operator", "0123456789abcde");
    int h =
        TSL_NET_DEV_Login(100, "127.0.0.1", server.Port(), "operator", "0123456789abcdefXYZ", 1000, &info);
    ASSERT_GT(h, 0);
    EXPECT_EQ(record, BytesOf(info));
    Bytes p = server.RequestsFor(1001).at(0).plain;
    ASSERT_EQ(80u, p.size());
    EXPECT_EQ("operator", std::string(reinterpret_cast<char*>(p.data())));
    EXPECT_EQ("0123456789abcde", std::string(reinterpret_cast<char*>(p.data() + 16)));
    EXPECT_EQ("127.0.0.1", std::string(reinterpret_cast<char*>(p.data() + 50)));
    EXPECT_EQ(0, p[49]);
    EXPECT_EQ(0, p[65]);
    for (int i = 66; i < 80; ++i) EXPECT_EQ(0, p[i]);
    TSL_NET_DEV_Logout(h);
}

TEST(Login, AllHandlesTakenGivesZero) {
    auto sim = std::make_shared<devsim::SimDevice>(100);
    devsim::SimServer server(sim);
    Np_LoginInfo info;
    std::vector<int> handles;
    for (int i = 0; i < 256; ++i) {
        int h = TSL_NET_DEV_Login(100, "127.0.0.1", server.Port(), "admin", "admin123", 5000, &info);
        ASSERT_EQ(i + 1, h);
        handles.push_back(h);
    }
    EXPECT_EQ(0, TSL_NET_DEV_Login(100, "127.0.0.1", server.Port(), "admin", "admin123", 5000, &info));
    EXPECT_TRUE(WaitFor([&] { return server.ConnectionCount() == 256; }));
    EXPECT_EQ(0, TSL_NET_DEV_Cleanup());
    for (int h : handles) ASSERT_EQ(-1, TSL_NET_DEV_GetTime(h, nullptr));
    EXPECT_TRUE(WaitFor([&] { return server.ConnectionCount() == 0; }));
}
