// Access-control requests and the TSL_NET_Acc_* exports.
#include "Acc/AccDevice.h"

#include <cstring>
#include <functional>
#include <utility>

#include "Base/DeviceTable.h"

namespace tsl {

namespace {

// Fills the 48-byte request with the number and its NUL; false when the
// number does not fit. Reads at most the 32 bytes of a card-number field.
bool CardText(const char* cardNo, uint8_t (&request)[kAccCardTextSize]) {
    const size_t length = strnlen(cardNo, kAccCardNoSize);
    if (length >= kAccCardNoSize) return false;
    std::memset(request, 0, sizeof request);
    std::memcpy(request, cardNo, length);
    return true;
}

}  // namespace

int32_t AccDevice::GetCardInfo(Np_AccCardInfo* card) {
    uint8_t request[kAccCardTextSize];
    if (!CardText(card->cardNo, request)) return ERR_SDK_UNKNOWN;
    // The first slot is copied whatever the status: on failure it is still
    // the zeros it started as.
    AccCardReply reply{};
    const int32_t status = Run(acc::kGetCardInfo, request, 0, &reply);
    std::memcpy(card, &reply.cards[0], sizeof *card);
    return status;
}

int32_t AccDevice::DeleteCardInfo(const char* cardNo) {
    uint8_t request[kAccCardTextSize];
    if (!CardText(cardNo, request)) return ERR_SDK_UNKNOWN;
    return Run(acc::kDeleteCardInfo, request);
}

int32_t AccDevice::WriteCard(const Operation& op, const Np_AccCardInfo& card) {
    AccCardRequest request;
    request.count = 1;
    request.cards[0] = card;
    return Run(op, &request);
}

}  // namespace tsl

using tsl::AccDevice;

namespace {

template <class F>
int Acc(int handle, F&& body) {
    return tsl::WithDevice<AccDevice>(handle, std::forward<F>(body));
}

}  // namespace

TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetEventCallback(int handle, TSL_AccEventCallback callback) {
    return Acc(handle, [&](AccDevice& d) { return d.SetEventCallbackPtr(callback); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetEventCallbackFull(int handle, TSL_AccEventCallback callback) {
    return Acc(handle, [&](AccDevice& d) { return d.SetEventCallbackFullPtr(callback); });
}
TSL_API int TSL_NET_Acc_SetEventCallback(int handle, std::function<void(int, Np_AccEventInfo)> callback) {
    return Acc(handle, [&](AccDevice& d) { return d.SetEventCallback(std::move(callback)); });
}
TSL_API int TSL_NET_Acc_SetEventCallbackFull(int handle, std::function<void(int, Np_AccEventInfo)> callback) {
    return Acc(handle, [&](AccDevice& d) { return d.SetEventCallbackFull(std::move(callback)); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetEvent(int handle, Np_EventQuery query, Np_AccEventList* list) {
    return Acc(handle, [&](AccDevice& d) { return d.GetEvent(query, list); });
}

TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetCardInfo(int handle, Np_AccCardInfo* card) {
    return Acc(handle, [&](AccDevice& d) { return d.GetCardInfo(card); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteCardInfo(int handle, const char* cardNo) {
    return Acc(handle, [&](AccDevice& d) { return d.DeleteCardInfo(cardNo); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetCardInfo(int handle, Np_AccCardInfo card) {
    return Acc(handle, [&](AccDevice& d) { return d.SetCardInfo(card); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ModCardInfo(int handle, Np_AccCardInfo card) {
    return Acc(handle, [&](AccDevice& d) { return d.ModCardInfo(card); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearCardInfo(int handle) {
    return Acc(handle, [&](AccDevice& d) { return d.ClearCardInfo(); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetCardGroupInfo(int handle, Np_AccCardGroupInfo query,
                                                      Np_AccCardGroupList* groups) {
    return Acc(handle, [&](AccDevice& d) { return d.GetCardGroupInfo(query, groups); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteCardGroupSingle(int handle, Np_AccCardGroupInfo info) {
    return Acc(handle, [&](AccDevice& d) { return d.DeleteCardGroupSingle(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetCardGroupSingle(int handle, Np_AccCardGroupInfo info) {
    return Acc(handle, [&](AccDevice& d) { return d.SetCardGroupSingle(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearCardGroupInfo(int handle, Np_AccCardGroupInfo info) {
    return Acc(handle, [&](AccDevice& d) { return d.ClearCardGroupInfo(info); });
}

TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetChannelInfo(int handle, Np_AccChannelInfo* info) {
    return Acc(handle, [&](AccDevice& d) { return d.GetChannelInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetChannelInfo(int handle, Np_AccChannelInfo info) {
    return Acc(handle, [&](AccDevice& d) { return d.SetChannelInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetChannelState(int handle, Np_AccChannelState* state) {
    return Acc(handle, [&](AccDevice& d) { return d.GetChannelState(state); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ChannelControl(int handle, Np_AccChannelControl control) {
    return Acc(handle, [&](AccDevice& d) { return d.ChannelControl(control); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetWorkModeParams(int handle, Np_AccWorkModeParams* params) {
    return Acc(handle, [&](AccDevice& d) { return d.GetWorkModeParams(params); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteWorkModeParams(int handle, uint8_t workModeId) {
    return Acc(handle, [&](AccDevice& d) { return d.DeleteWorkModeParams(workModeId); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetWorkModeParams(int handle, Np_AccWorkModeParams params) {
    return Acc(handle, [&](AccDevice& d) { return d.SetWorkModeParams(params); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearWorkModeParams(int handle) {
    return Acc(handle, [&](AccDevice& d) { return d.ClearWorkModeParams(); });
}

TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetMultiLockInfo(int handle, Np_AccMultiLockInfo* info) {
    return Acc(handle, [&](AccDevice& d) { return d.GetMultiLockInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteMultiLockInfo(int handle, uint8_t doorNo) {
    return Acc(handle, [&](AccDevice& d) { return d.DeleteMultiLockInfo(doorNo); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetMultiLockInfo(int handle, Np_AccMultiLockInfo info) {
    return Acc(handle, [&](AccDevice& d) { return d.SetMultiLockInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearMultiLockInfo(int handle) {
    return Acc(handle, [&](AccDevice& d) { return d.ClearMultiLockInfo(); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetMultiCardInfo(int handle, Np_AccMultiCardInfo* info) {
    return Acc(handle, [&](AccDevice& d) { return d.GetMultiCardInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteMultiCardInfo(int handle, uint8_t combinationId) {
    return Acc(handle, [&](AccDevice& d) { return d.DeleteMultiCardInfo(combinationId); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetMultiCardInfo(int handle, Np_AccMultiCardInfo info) {
    return Acc(handle, [&](AccDevice& d) { return d.SetMultiCardInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearMultiCardInfo(int handle) {
    return Acc(handle, [&](AccDevice& d) { return d.ClearMultiCardInfo(); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetLinkageInfo(int handle, Np_AccLinkageInfo* info) {
    return Acc(handle, [&](AccDevice& d) { return d.GetLinkageInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_DeleteLinkageInfo(int handle, uint8_t linkageId) {
    return Acc(handle, [&](AccDevice& d) { return d.DeleteLinkageInfo(linkageId); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetLinkageInfo(int handle, Np_AccLinkageInfo info) {
    return Acc(handle, [&](AccDevice& d) { return d.SetLinkageInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearLinkageInfo(int handle) {
    return Acc(handle, [&](AccDevice& d) { return d.ClearLinkageInfo(); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetAntiInfo(int handle, Np_AccAntiInfo* info) {
    return Acc(handle, [&](AccDevice& d) { return d.GetAntiInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetAntiInfo(int handle, Np_AccAntiInfo info) {
    return Acc(handle, [&](AccDevice& d) { return d.SetAntiInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_ClearAntiInfo(int handle) {
    return Acc(handle, [&](AccDevice& d) { return d.ClearAntiInfo(); });
}

TSL_EXTERN_C TSL_API int TSL_NET_Acc_IOControl(int handle, Np_AccIOControl control) {
    return Acc(handle, [&](AccDevice& d) { return d.IOControl(control); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetIOParams(int handle, Np_AccIOParams* params) {
    return Acc(handle, [&](AccDevice& d) { return d.GetIOParams(params); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetIOParams(int handle, Np_AccIOParams params) {
    return Acc(handle, [&](AccDevice& d) { return d.SetIOParams(params); });
}

TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetDeviceInfo(int handle, Np_AccDeviceInfo* info) {
    return Acc(handle, [&](AccDevice& d) { return d.GetDeviceInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetDeviceInfo(int handle, Np_AccDeviceInfo info) {
    return Acc(handle, [&](AccDevice& d) { return d.SetDeviceInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetSystemInfo(int handle, char* text) {
    return Acc(handle, [&](AccDevice& d) { return d.GetSystemInfo(text); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetFlashInfo(int handle, Np_AccFlashInfo* info) {
    return Acc(handle, [&](AccDevice& d) { return d.GetFlashInfo(info); });
}

TSL_EXTERN_C TSL_API int TSL_NET_Acc_GetReaderId(int handle, Np_AccReaderId query, char* serialNo) {
    return Acc(handle, [&](AccDevice& d) { return d.GetReaderId(query, serialNo); });
}
TSL_EXTERN_C TSL_API int TSL_NET_Acc_SetReaderId(int handle, Np_AccReaderId reader) {
    return Acc(handle, [&](AccDevice& d) { return d.SetReaderId(reader); });
}
