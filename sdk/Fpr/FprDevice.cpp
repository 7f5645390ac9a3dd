// The fingerprint-reader exports: one operation row each, all run by
// FprDevice::Run.
#include "Fpr/FprDevice.h"

#include <utility>

#include "Base/DeviceTable.h"

namespace {

using tsl::FprCommand;
using tsl::FprDevice;
using tsl::Operation;
using tsl::Payload;

template <class Record>
constexpr Operation Whole(uint32_t n) {
    return {FprCommand(n), Payload::Whole, sizeof(Record), 0};
}
template <class Record>
constexpr Operation Read(uint32_t n) {
    return {FprCommand(n), Payload::None, 0, sizeof(Record)};
}
template <class Key, class Record>
constexpr Operation Exchange(uint32_t n) {
    return {FprCommand(n), Payload::Whole, sizeof(Key), sizeof(Record)};
}

constexpr Operation kAddUserData = Whole<Np_FprUserData>(1);
constexpr Operation kSetUserData = Whole<Np_FprUserData>(2);
constexpr Operation kDeleteUserData = Whole<Np_FprUserKey>(3);
constexpr Operation kGetUserData = Exchange<Np_FprUserKey, Np_FprUserData>(4);
constexpr Operation kGetUserList = Exchange<Np_FprUserListQuery, Np_FprUserList>(5);
constexpr Operation kClearUserData{FprCommand(6), Payload::None, 0, 0};
constexpr Operation kGetDeviceParams = Read<Np_FprDeviceParams>(7);
constexpr Operation kSetDeviceParams = Whole<Np_FprDeviceParams>(8);
// The two pairs below share their codes; only the record length tells them
// apart, so a reply meant for the other record fails the length check.
constexpr Operation kGetDeviceInfo = Read<Np_FprDeviceInfo>(9);
constexpr Operation kGetDeviceFixInfo = Read<Np_FprDeviceFixInfo>(9);
constexpr Operation kSetDeviceInfo = Whole<Np_FprDeviceInfo>(10);
constexpr Operation kSetDeviceFixInfo = Whole<Np_FprDeviceFixInfo>(10);
constexpr Operation kChannelControl = Whole<Np_FprChannelControl>(13);
constexpr Operation kIOControl = Whole<Np_FprIOControl>(14);

int Run(int handle, const Operation& op, const void* in, void* out) {
    return tsl::WithDevice<FprDevice>(handle, [&](FprDevice& d) { return d.Run(op, in, out); });
}

}  // namespace

TSL_EXTERN_C TSL_API int TSL_NET_FPR_AddUserData(int handle, Np_FprUserData user) {
    return Run(handle, kAddUserData, &user, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_SetUserData(int handle, Np_FprUserData user) {
    return Run(handle, kSetUserData, &user, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_DeleteUserData(int handle, Np_FprUserKey key) {
    return Run(handle, kDeleteUserData, &key, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_GetUserData(int handle, Np_FprUserKey key, Np_FprUserData* user) {
    return Run(handle, kGetUserData, &key, user);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_GetUserList(int handle, Np_FprUserListQuery query,
                                                 Np_FprUserList* list) {
    return Run(handle, kGetUserList, &query, list);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_ClearUserData(int handle) {
    return Run(handle, kClearUserData, nullptr, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_GetDeviceParams(int handle, Np_FprDeviceParams* params) {
    return Run(handle, kGetDeviceParams, nullptr, params);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_SetDeviceParams(int handle, Np_FprDeviceParams params) {
    return Run(handle, kSetDeviceParams, &params, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_GetDeviceInfo(int handle, Np_FprDeviceInfo* info) {
    return Run(handle, kGetDeviceInfo, nullptr, info);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_GetDeviceFixInfo(int handle, Np_FprDeviceFixInfo* info) {
    return Run(handle, kGetDeviceFixInfo, nullptr, info);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_SetDeviceInfo(int handle, Np_FprDeviceInfo info) {
    return Run(handle, kSetDeviceInfo, &info, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_SetDeviceFixInfo(int handle, Np_FprDeviceFixInfo info) {
    return Run(handle, kSetDeviceFixInfo, &info, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_ChannelControl(int handle, Np_FprChannelControl control) {
    return Run(handle, kChannelControl, &control, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_FPR_IOControl(int handle, Np_FprIOControl control) {
    return Run(handle, kIOControl, &control, nullptr);
}

TSL_EXTERN_C TSL_API int TSL_NET_FPR_SetEventCallback(int handle, TSL_FprEventCallback callback) {
    return tsl::WithDevice<FprDevice>(handle,
                                      [&](FprDevice& d) { return d.SetEventCallback(d.Adapt(callback)); });
}
TSL_API int TSL_NET_FPR_SetEventCallback(int handle, std::function<void(int, Np_FprEventInfo)> callback) {
    return tsl::WithDevice<FprDevice>(handle,
                                      [&](FprDevice& d) { return d.SetEventCallback(std::move(callback)); });
}
