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

constexpr Operation kAddUserData = tsl::Write<Np_FprUserData>(FprCommand(1));
constexpr Operation kSetUserData = tsl::Write<Np_FprUserData>(FprCommand(2));
constexpr Operation kDeleteUserData = tsl::Write<Np_FprUserKey>(FprCommand(3));
constexpr Operation kGetUserData = tsl::Query<Np_FprUserKey, Np_FprUserData>(FprCommand(4));
constexpr Operation kGetUserList = tsl::Query<Np_FprUserListQuery, Np_FprUserList>(FprCommand(5));
constexpr Operation kClearUserData{FprCommand(6), Payload::None, 0, 0};
constexpr Operation kGetDeviceParams = tsl::Read<Np_FprDeviceParams>(FprCommand(7));
constexpr Operation kSetDeviceParams = tsl::Write<Np_FprDeviceParams>(FprCommand(8));
// The two pairs below share their codes; only the record length tells them
// apart, so a reply meant for the other record fails the length check.
constexpr Operation kGetDeviceInfo = tsl::Read<Np_FprDeviceInfo>(FprCommand(9));
constexpr Operation kGetDeviceFixInfo = tsl::Read<Np_FprDeviceFixInfo>(FprCommand(9));
constexpr Operation kSetDeviceInfo = tsl::Write<Np_FprDeviceInfo>(FprCommand(10));
constexpr Operation kSetDeviceFixInfo = tsl::Write<Np_FprDeviceFixInfo>(FprCommand(10));
constexpr Operation kChannelControl = tsl::Write<Np_FprChannelControl>(FprCommand(13));
constexpr Operation kIOControl = tsl::Write<Np_FprIOControl>(FprCommand(14));

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
