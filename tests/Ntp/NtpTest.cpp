// The NTP time server's export against a simulated server on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "FamilyTable.h"
#include "SimFixture.h"
#include "TslAcc.h"
#include "TslNtp.h"

using namespace tsltest;

namespace {

constexpr uint32_t kNtp = 103;
constexpr uint32_t kGetLocation = (103u << 16) + 1;

// The caller's record is never sent: the request is 128 zero bytes.
ExportRow Location() {
    return Out("GetDevicLocationInfo", kGetLocation, Zeros(128), TSL_NET_Ntp_GetDevicLocationInfo);
}

TEST(Ntp, LocationRequestAndReply) {
    SimLogin ntp(kNtp);
    ASSERT_GT(ntp.handle, 0);
    CheckRow(ntp, kNtp, Location());
}

TEST(Ntp, LocationRefusesUnknownHandlesAndOtherFamilies) {
    SimLogin ntp(kNtp);
    SimLogin acc(TSL_DEVICE_ACC);
    ASSERT_GT(ntp.handle, 0);
    ASSERT_GT(acc.handle, 0);
    CheckFrame(ntp, acc, Location());
}

TEST(Ntp, LocationComesFromTheDevice) {
    SimLogin ntp(kNtp);
    ASSERT_GT(ntp.handle, 0);
    Np_NtpLocationInfo stored{};
    std::strcpy(stored.eastWest, "E");
    std::strcpy(stored.longitude, "11402.3456");
    std::strcpy(stored.southNorth, "N");
    std::strcpy(stored.latitude, "2232.1234");
    std::strcpy(stored.antennaStatus, "OK");
    std::strcpy(stored.satelliteType, "GPS+BDS");
    stored.satelliteNum = 14;
    ntp.device->PutRecord("ntpLocation", {}, BytesOf(stored));
    auto read = Patterned<Np_NtpLocationInfo>(3);
    ASSERT_EQ(TSL_NET_Ntp_GetDevicLocationInfo(ntp.handle, &read), 0);
    EXPECT_EQ(BytesOf(read), BytesOf(stored));
}

// Whatever an NTP server pushes goes nowhere; the connection carries on.
TEST(Ntp, PushedMessagesAreIgnored) {
    SimLogin ntp(kNtp);
    ASSERT_GT(ntp.handle, 0);
    EXPECT_EQ(TSL_NET_Acc_SetEventCallback(ntp.handle, [](int, Np_AccEventInfo) { ADD_FAILURE(); }), -2);
    for (size_t size : {0, 32, 64, 80, 128, 1024})
        for (uint32_t cmd : {1800u, 2800u, 4800u, 4803u}) ntp.server->Push(cmd, Pattern(size, 1));
    std::this_thread::sleep_for(50ms);
    Np_NtpLocationInfo read;
    EXPECT_EQ(TSL_NET_Ntp_GetDevicLocationInfo(ntp.handle, &read), 0);
    EXPECT_TRUE(ntp.server->RequestsFor(1036).empty());
}

TEST(Ntp, RequestsCountOnTheFamilysOwnIdentities) {
    SimLogin ntp(kNtp);
    ASSERT_GT(ntp.handle, 0);
    Np_NtpLocationInfo read;
    Np_Time time;
    ASSERT_EQ(TSL_NET_Ntp_GetDevicLocationInfo(ntp.handle, &read), 0);
    ASSERT_EQ(TSL_NET_DEV_GetTime(ntp.handle, &time), 0);
    ASSERT_EQ(TSL_NET_Ntp_GetDevicLocationInfo(ntp.handle, &read), 0);
    auto requests = ntp.server->RequestsFor(kGetLocation);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].head.type, kNtp);
    EXPECT_EQ(requests[1].head.identity, requests[0].head.identity + 1);
}

}  // namespace
