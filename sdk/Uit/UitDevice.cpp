// The TSL_NET_UIT_* exports.
#include "Uit/UitDevice.h"

#include <functional>
#include <utility>

#include "Base/DeviceTable.h"

using tsl::UitDevice;

namespace {

template <class F>
int Uit(int handle, F&& body) {
    return tsl::WithDevice<UitDevice>(handle, std::forward<F>(body));
}

}  // namespace

TSL_EXTERN_C TSL_API int TSL_NET_UIT_GetManufInfo(int handle, Np_UitManufInfo* info) {
    return Uit(handle, [&](UitDevice& d) { return d.GetManufInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_UIT_SetManufInfo(int handle, Np_UitManufInfo info) {
    return Uit(handle, [&](UitDevice& d) { return d.SetManufInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_UIT_DeleteManufInfo(int handle) {
    return Uit(handle, [&](UitDevice& d) { return d.DeleteManufInfo(); });
}
TSL_EXTERN_C TSL_API int TSL_NET_UIT_GetServerInfo(int handle, Np_UitServerInfo* info) {
    return Uit(handle, [&](UitDevice& d) { return d.GetServerInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_UIT_SetServerInfo(int handle, Np_UitServerInfo info) {
    return Uit(handle, [&](UitDevice& d) { return d.SetServerInfo(info); });
}
TSL_EXTERN_C TSL_API int TSL_NET_UIT_DeleteServerInfo(int handle) {
    return Uit(handle, [&](UitDevice& d) { return d.DeleteServerInfo(); });
}
TSL_EXTERN_C TSL_API int TSL_NET_UIT_GetEvent(int handle, Np_EventQuery query, Np_UitEventList* list) {
    return Uit(handle, [&](UitDevice& d) { return d.GetEvent(query, list); });
}

TSL_EXTERN_C TSL_API int TSL_NET_UIT_SetEventCallback(int handle, TSL_UitEventCallback callback) {
    return Uit(handle, [&](UitDevice& d) { return d.SetEventCallbackPtr(callback); });
}
TSL_EXTERN_C TSL_API int TSL_NET_UIT_SetEventCallbackFull(int handle, TSL_UitEventCallback callback) {
    return Uit(handle, [&](UitDevice& d) { return d.SetEventCallbackFullPtr(callback); });
}
TSL_API int TSL_NET_UIT_SetEventCallback(int handle, std::function<void(int, Np_UitEventInfo)> callback) {
    return Uit(handle, [&](UitDevice& d) { return d.SetEventCallback(std::move(callback)); });
}
TSL_API int TSL_NET_UIT_SetEventCallbackFull(int handle, std::function<void(int, Np_UitEventInfo)> callback) {
    return Uit(handle, [&](UitDevice& d) { return d.SetEventCallbackFull(std::move(callback)); });
}
