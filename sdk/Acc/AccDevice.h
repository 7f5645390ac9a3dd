#pragma once

#include <cstddef>
#include <cstdint>

#include "Base/Family.h"
#include "Base/Request.h"
#include "TslAcc.h"

namespace tsl {

#pragma pack(push, 1)
// Cards travel in lists: the get reply has room for five, add and modify
// send exactly one.
template <size_t N>
struct AccCardList {
    uint32_t count;
    Np_AccCardInfo cards[N];
} TSL_PACKED;
#pragma pack(pop)
using AccCardReply = AccCardList<5>;
using AccCardRequest = AccCardList<1>;
TSL_CHECK_SIZE(AccCardReply, 879);
TSL_CHECK_SIZE(AccCardRequest, 179);

// The card-number request: the text with its NUL in the first 32 of 48 bytes.
constexpr uint32_t kAccCardTextSize = 48;
constexpr size_t kAccCardNoSize = sizeof(Np_AccCardInfo::cardNo);

namespace acc {
constexpr uint32_t kKeySize = 32;
constexpr Operation kGetEvent{1035, Payload::Whole, sizeof(Np_EventQuery), sizeof(Np_AccEventList)};
constexpr Operation kGetCardInfo{2000, Payload::Whole, kAccCardTextSize, sizeof(AccCardReply)};
constexpr Operation kDeleteCardInfo{2002, Payload::Whole, kAccCardTextSize, 0};
constexpr Operation kSetCardInfo{2003, Payload::Whole, sizeof(AccCardRequest), 0};
constexpr Operation kModCardInfo{2004, Payload::Whole, sizeof(AccCardRequest), 0};
constexpr Operation kClearCardInfo{2005, Payload::None, 0, 0};
constexpr Operation kGetChannelInfo{2006, Payload::RecordKey8, kKeySize, sizeof(Np_AccChannelInfo)};
constexpr Operation kSetChannelInfo{2007, Payload::Whole, sizeof(Np_AccChannelInfo), 0};
constexpr Operation kGetChannelState{2008, Payload::RecordKey8, kKeySize, sizeof(Np_AccChannelState)};
constexpr Operation kChannelControl{2009, Payload::Whole, sizeof(Np_AccChannelControl), 0};
constexpr Operation kGetMultiLockInfo{2010, Payload::RecordKey8, kKeySize, sizeof(Np_AccMultiLockInfo)};
constexpr Operation kDeleteMultiLockInfo{2011, Payload::Key8, kKeySize, 0};
constexpr Operation kSetMultiLockInfo{2012, Payload::Whole, sizeof(Np_AccMultiLockInfo), 0};
constexpr Operation kClearMultiLockInfo{2013, Payload::None, 0, 0};
constexpr Operation kGetMultiCardInfo{2014, Payload::RecordKey8, kKeySize, sizeof(Np_AccMultiCardInfo)};
constexpr Operation kDeleteMultiCardInfo{2015, Payload::Key8, kKeySize, 0};
constexpr Operation kSetMultiCardInfo{2016, Payload::Whole, sizeof(Np_AccMultiCardInfo), 0};
constexpr Operation kClearMultiCardInfo{2017, Payload::None, 0, 0};
constexpr Operation kGetLinkageInfo{2018, Payload::RecordKey8, kKeySize, sizeof(Np_AccLinkageInfo)};
constexpr Operation kDeleteLinkageInfo{2019, Payload::Key8, kKeySize, 0};
constexpr Operation kSetLinkageInfo{2020, Payload::Whole, sizeof(Np_AccLinkageInfo), 0};
constexpr Operation kClearLinkageInfo{2021, Payload::None, 0, 0};
constexpr Operation kGetAntiInfo{2022, Payload::None, 0, sizeof(Np_AccAntiInfo)};
constexpr Operation kSetAntiInfo{2023, Payload::Whole, sizeof(Np_AccAntiInfo), 0};
constexpr Operation kClearAntiInfo{2024, Payload::None, 0, 0};
constexpr Operation kGetDeviceInfo{2025, Payload::None, 0, sizeof(Np_AccDeviceInfo)};
constexpr Operation kSetDeviceInfo{2026, Payload::Whole, sizeof(Np_AccDeviceInfo), 0};
constexpr Operation kGetWorkModeParams{2027, Payload::RecordKey8, kKeySize, sizeof(Np_AccWorkModeParams)};
constexpr Operation kDeleteWorkModeParams{2028, Payload::Key8, kKeySize, 0};
constexpr Operation kSetWorkModeParams{2029, Payload::Whole, sizeof(Np_AccWorkModeParams), 0};
constexpr Operation kClearWorkModeParams{2030, Payload::None, 0, 0};
constexpr Operation kIOControl{2031, Payload::Whole, sizeof(Np_AccIOControl), 0};
constexpr Operation kGetIOParams{2032, Payload::RecordKey8, kKeySize, sizeof(Np_AccIOParams)};
constexpr Operation kSetIOParams{2033, Payload::Whole, sizeof(Np_AccIOParams), 0};
constexpr Operation kGetSystemInfo{2034, Payload::None, 0, sizeof(Np_AccSystemInfo)};
constexpr Operation kGetFlashInfo{2035, Payload::None, 0, sizeof(Np_AccFlashInfo)};
constexpr Operation kGetCardGroupInfo{2037, Payload::Whole, sizeof(Np_AccCardGroupInfo),
                                      sizeof(Np_AccCardGroupList)};
constexpr Operation kDeleteCardGroupSingle{2038, Payload::Whole, sizeof(Np_AccCardGroupInfo), 0};
constexpr Operation kSetCardGroupSingle{2039, Payload::Whole, sizeof(Np_AccCardGroupInfo), 0};
constexpr Operation kClearCardGroupInfo{2040, Payload::Whole, sizeof(Np_AccCardGroupInfo), 0};
constexpr Operation kGetReaderId{2041, Payload::Whole, sizeof(Np_AccReaderId), 32};
constexpr Operation kSetReaderId{2042, Payload::Whole, sizeof(Np_AccReaderId), 0};
}  // namespace acc

class AccDevice : public EventDevice<Np_AccEventInfo> {
  public:
    AccDevice(const char* ip, uint32_t port) : EventDevice<Np_AccEventInfo>(ip, port, 100) {}

    int32_t SetEventCallbackPtr(EventCallbackPtr callback) { return SetEventCallback(Adapt(callback)); }
    int32_t SetEventCallbackFullPtr(EventCallbackPtr callback) {
        return SetEventCallbackFull(Adapt(callback));
    }
    int32_t GetEvent(const Np_EventQuery& query, Np_AccEventList* list) {
        return Run(acc::kGetEvent, &query, 0, list);
    }

    // A number of 32 characters or more is refused: the request has room
    // for 31, and a cut number may name another card.
    int32_t GetCardInfo(Np_AccCardInfo* card);
    int32_t DeleteCardInfo(const char* cardNo);
    int32_t SetCardInfo(const Np_AccCardInfo& card) { return WriteCard(acc::kSetCardInfo, card); }
    int32_t ModCardInfo(const Np_AccCardInfo& card) { return WriteCard(acc::kModCardInfo, card); }
    int32_t ClearCardInfo() { return Run(acc::kClearCardInfo); }
    int32_t GetCardGroupInfo(const Np_AccCardGroupInfo& query, Np_AccCardGroupList* groups) {
        return Run(acc::kGetCardGroupInfo, &query, 0, groups);
    }
    int32_t DeleteCardGroupSingle(const Np_AccCardGroupInfo& info) {
        return Run(acc::kDeleteCardGroupSingle, &info);
    }
    int32_t SetCardGroupSingle(const Np_AccCardGroupInfo& info) {
        return Run(acc::kSetCardGroupSingle, &info);
    }
    int32_t ClearCardGroupInfo(const Np_AccCardGroupInfo& info) {
        return Run(acc::kClearCardGroupInfo, &info);
    }

    int32_t GetChannelInfo(Np_AccChannelInfo* info) { return Run(acc::kGetChannelInfo, nullptr, 0, info); }
    int32_t SetChannelInfo(const Np_AccChannelInfo& info) { return Run(acc::kSetChannelInfo, &info); }
    int32_t GetChannelState(Np_AccChannelState* state) {
        return Run(acc::kGetChannelState, nullptr, 0, state);
    }
    int32_t ChannelControl(const Np_AccChannelControl& control) {
        return Run(acc::kChannelControl, &control);
    }
    int32_t GetWorkModeParams(Np_AccWorkModeParams* params) {
        return Run(acc::kGetWorkModeParams, nullptr, 0, params);
    }
    int32_t DeleteWorkModeParams(uint8_t id) { return Run(acc::kDeleteWorkModeParams, nullptr, id); }
    int32_t SetWorkModeParams(const Np_AccWorkModeParams& params) {
        return Run(acc::kSetWorkModeParams, &params);
    }
    int32_t ClearWorkModeParams() { return Run(acc::kClearWorkModeParams); }

    int32_t GetMultiLockInfo(Np_AccMultiLockInfo* info) {
        return Run(acc::kGetMultiLockInfo, nullptr, 0, info);
    }
    int32_t DeleteMultiLockInfo(uint8_t doorNo) { return Run(acc::kDeleteMultiLockInfo, nullptr, doorNo); }
    int32_t SetMultiLockInfo(const Np_AccMultiLockInfo& info) { return Run(acc::kSetMultiLockInfo, &info); }
    int32_t ClearMultiLockInfo() { return Run(acc::kClearMultiLockInfo); }
    int32_t GetMultiCardInfo(Np_AccMultiCardInfo* info) {
        return Run(acc::kGetMultiCardInfo, nullptr, 0, info);
    }
    int32_t DeleteMultiCardInfo(uint8_t id) { return Run(acc::kDeleteMultiCardInfo, nullptr, id); }
    int32_t SetMultiCardInfo(const Np_AccMultiCardInfo& info) { return Run(acc::kSetMultiCardInfo, &info); }
    int32_t ClearMultiCardInfo() { return Run(acc::kClearMultiCardInfo); }
    int32_t GetLinkageInfo(Np_AccLinkageInfo* info) { return Run(acc::kGetLinkageInfo, nullptr, 0, info); }
    int32_t DeleteLinkageInfo(uint8_t id) { return Run(acc::kDeleteLinkageInfo, nullptr, id); }
    int32_t SetLinkageInfo(const Np_AccLinkageInfo& info) { return Run(acc::kSetLinkageInfo, &info); }
    int32_t ClearLinkageInfo() { return Run(acc::kClearLinkageInfo); }
    int32_t GetAntiInfo(Np_AccAntiInfo* info) { return Run(acc::kGetAntiInfo, nullptr, 0, info); }
    int32_t SetAntiInfo(const Np_AccAntiInfo& info) { return Run(acc::kSetAntiInfo, &info); }
    int32_t ClearAntiInfo() { return Run(acc::kClearAntiInfo); }

    int32_t IOControl(const Np_AccIOControl& control) { return Run(acc::kIOControl, &control); }
    int32_t GetIOParams(Np_AccIOParams* params) { return Run(acc::kGetIOParams, nullptr, 0, params); }
    int32_t SetIOParams(const Np_AccIOParams& params) { return Run(acc::kSetIOParams, &params); }

    int32_t GetDeviceInfo(Np_AccDeviceInfo* info) { return Run(acc::kGetDeviceInfo, nullptr, 0, info); }
    int32_t SetDeviceInfo(const Np_AccDeviceInfo& info) { return Run(acc::kSetDeviceInfo, &info); }
    int32_t GetSystemInfo(char* text) { return Run(acc::kGetSystemInfo, nullptr, 0, text); }
    int32_t GetFlashInfo(Np_AccFlashInfo* info) { return Run(acc::kGetFlashInfo, nullptr, 0, info); }

    int32_t GetReaderId(const Np_AccReaderId& query, char* serialNo) {
        return Run(acc::kGetReaderId, &query, 0, serialNo);
    }
    int32_t SetReaderId(const Np_AccReaderId& reader) { return Run(acc::kSetReaderId, &reader); }

  private:
    int32_t Run(const Operation& op, const void* in = nullptr, uint32_t key = 0, void* out = nullptr) {
        return Perform(*this, IdentityModule::Acc, op, in, key, out);
    }
    int32_t WriteCard(const Operation& op, const Np_AccCardInfo& card);
};

}  // namespace tsl
