// The IoT exports: one operation row each, all run by IoTDevice::Run.
#include "IoT/IoTDevice.h"

#include <utility>

#include "Base/DeviceTable.h"

namespace {

using tsl::Bare;
using tsl::Indexed;
using tsl::IoTDevice;
using tsl::KeyedRead;
using tsl::Operation;
using tsl::Payload;
using tsl::Write;

constexpr Operation kGetWorkModeParams = KeyedRead<Np_IoTWorkModeParams>(3001);
constexpr Operation kDeleteWorkModeParams = Indexed(3002);
constexpr Operation kSetWorkModeParams = Write<Np_IoTWorkModeParams>(3003);
constexpr Operation kClearWorkModeParams = Bare(3004);
constexpr Operation kGetInputParams = KeyedRead<Np_IoTInputParams>(3005);
constexpr Operation kSetInputParams = Write<Np_IoTInputParams>(3006);
constexpr Operation kClearInputParams = Bare(3007);
constexpr Operation kGetInputState = KeyedRead<Np_IoTInputState>(3008);
constexpr Operation kGetOutputParams = KeyedRead<Np_IoTOutputParams>(3009);
constexpr Operation kSetOutputParams = Write<Np_IoTOutputParams>(3010);
constexpr Operation kClearOutputParams = Bare(3011);
constexpr Operation kGetOutputState = KeyedRead<Np_IoTOutputState>(3012);
constexpr Operation kIOControl = Write<Np_IoTIOControl>(3013);
constexpr Operation kGetModbusParams = KeyedRead<Np_IoTModbusParams>(3014);
constexpr Operation kDeleteModbusParams = Indexed(3015);
constexpr Operation kSetModbusParams = Write<Np_IoTModbusParams>(3016);
constexpr Operation kClearModbusParams = Bare(3017);
constexpr Operation kGetModbusData = KeyedRead<Np_IoTModbusData>(3018);
constexpr Operation kSetModbusData = Write<Np_IoTModbusWrite>(3019);
constexpr Operation kGetRegisterParams = KeyedRead<Np_IoTRegisterParams>(3020);
constexpr Operation kDeleteRegisterParams = Indexed(3021);
constexpr Operation kSetRegisterParams = Write<Np_IoTRegisterParams>(3022);
constexpr Operation kClearRegisterParams = Bare(3023);
constexpr Operation kGetAlarmIoInfo{3024, Payload::None, 0, sizeof(Np_IoTAlarmIoInfo)};
constexpr Operation kSetAlarmIoInfo = Write<Np_IoTAlarmIoInfo>(3025);
constexpr Operation kDeleteRegisterParamsSingle = Write<Np_IoTRegisterKey>(3026);
constexpr Operation kSetRegisterParamsSingle = Write<Np_IoTRegisterParamsSingle>(3027);
constexpr Operation kLoraControl = Write<Np_IoTLoraControl>(3028);
constexpr Operation kGetLoraWorkModeParams = KeyedRead<Np_IoTLoraWorkModeParams>(3029);
constexpr Operation kDeleteLoraWorkModeParams = Write<Np_IoTLoraWorkModeKey>(3030);
constexpr Operation kSetLoraWorkModeParams = Write<Np_IoTLoraWorkModeParams>(3031);
constexpr Operation kClearLoraWorkModeParams = Bare(3032);
constexpr Operation kGetEvent{1035, Payload::Whole, sizeof(Np_EventQuery), sizeof(Np_IoTEventList)};

int Run(int handle, const Operation& op, const void* in, uint32_t key, void* out) {
    return tsl::WithDevice<IoTDevice>(handle, [&](IoTDevice& d) { return d.Run(op, in, key, out); });
}
int Send(int handle, const Operation& op, const void* in) {
    return Run(handle, op, in, 0, nullptr);
}
int Read(int handle, const Operation& op, void* out) {
    return Run(handle, op, nullptr, 0, out);
}

}  // namespace

TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetWorkModeParams(int handle, Np_IoTWorkModeParams* params) {
    return Read(handle, kGetWorkModeParams, params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_DeleteWorkModeParams(int handle, uint8_t workModeId) {
    return Run(handle, kDeleteWorkModeParams, nullptr, workModeId, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetWorkModeParams(int handle, Np_IoTWorkModeParams params) {
    return Send(handle, kSetWorkModeParams, &params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearWorkModeParams(int handle) {
    return Send(handle, kClearWorkModeParams, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetInputParams(int handle, Np_IoTInputParams* params) {
    return Read(handle, kGetInputParams, params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetInputParams(int handle, Np_IoTInputParams params) {
    return Send(handle, kSetInputParams, &params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearInputParams(int handle) {
    return Send(handle, kClearInputParams, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetInputState(int handle, Np_IoTInputState* state) {
    return Read(handle, kGetInputState, state);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetOutputParams(int handle, Np_IoTOutputParams* params) {
    return Read(handle, kGetOutputParams, params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetOutputParams(int handle, Np_IoTOutputParams params) {
    return Send(handle, kSetOutputParams, &params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearOutputParams(int handle) {
    return Send(handle, kClearOutputParams, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetOutputState(int handle, Np_IoTOutputState* state) {
    return Read(handle, kGetOutputState, state);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_IOControl(int handle, Np_IoTIOControl control) {
    return Send(handle, kIOControl, &control);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetModbusParams(int handle, Np_IoTModbusParams* params) {
    return Read(handle, kGetModbusParams, params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_DeleteModbusParams(int handle, uint8_t channel) {
    return Run(handle, kDeleteModbusParams, nullptr, channel, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetModbusParams(int handle, Np_IoTModbusParams params) {
    return Send(handle, kSetModbusParams, &params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearModbusParams(int handle) {
    return Send(handle, kClearModbusParams, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetModbusData(int handle, Np_IoTModbusData* data) {
    return Read(handle, kGetModbusData, data);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetModbusData(int handle, Np_IoTModbusWrite data) {
    return Send(handle, kSetModbusData, &data);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetRegisterParams(int handle, Np_IoTRegisterParams* params) {
    return Read(handle, kGetRegisterParams, params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_DeleteRegisterParams(int handle, uint8_t channel) {
    return Run(handle, kDeleteRegisterParams, nullptr, channel, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetRegisterParams(int handle, Np_IoTRegisterParams params) {
    return Send(handle, kSetRegisterParams, &params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearRegisterParams(int handle) {
    return Send(handle, kClearRegisterParams, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetAlarmIoInfo(int handle, Np_IoTAlarmIoInfo* info) {
    return Read(handle, kGetAlarmIoInfo, info);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetAlarmIoInfo(int handle, Np_IoTAlarmIoInfo info) {
    return Send(handle, kSetAlarmIoInfo, &info);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_DeleteRegisterParamsSingle(int handle, Np_IoTRegisterKey key) {
    return Send(handle, kDeleteRegisterParamsSingle, &key);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetRegisterParamsSingle(int handle, Np_IoTRegisterParamsSingle params) {
    return Send(handle, kSetRegisterParamsSingle, &params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_LoraControl(int handle, Np_IoTLoraControl control) {
    return Send(handle, kLoraControl, &control);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetLoraWorkModeParams(int handle, Np_IoTLoraWorkModeParams* params) {
    return Read(handle, kGetLoraWorkModeParams, params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_DeleteLoraWorkModeParams(int handle, Np_IoTLoraWorkModeKey key) {
    return Send(handle, kDeleteLoraWorkModeParams, &key);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetLoraWorkModeParams(int handle, Np_IoTLoraWorkModeParams params) {
    return Send(handle, kSetLoraWorkModeParams, &params);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_ClearLoraWorkModeParams(int handle) {
    return Send(handle, kClearLoraWorkModeParams, nullptr);
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_GetEvent(int handle, Np_EventQuery query, Np_IoTEventList* events) {
    return Run(handle, kGetEvent, &query, 0, events);
}

TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetEventCallback(int handle, TSL_IoTEventCallback callback) {
    return tsl::WithDevice<IoTDevice>(handle,
                                      [&](IoTDevice& d) { return d.SetEventCallback(d.Adapt(callback)); });
}
TSL_EXTERN_C TSL_API int TSL_NET_IoT_SetEventCallbackFull(int handle, TSL_IoTEventCallback callback) {
    return tsl::WithDevice<IoTDevice>(
        handle, [&](IoTDevice& d) { return d.SetEventCallbackFull(d.Adapt(callback)); });
}
TSL_API int TSL_NET_IoT_SetEventCallback(int handle, std::function<void(int, Np_LinkageEventInfo)> callback) {
    return tsl::WithDevice<IoTDevice>(handle,
                                      [&](IoTDevice& d) { return d.SetEventCallback(std::move(callback)); });
}
TSL_API int TSL_NET_IoT_SetEventCallbackFull(int handle,
                                             std::function<void(int, Np_LinkageEventInfo)> callback) {
    return tsl::WithDevice<IoTDevice>(
        handle, [&](IoTDevice& d) { return d.SetEventCallbackFull(std::move(callback)); });
}
