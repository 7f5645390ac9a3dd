// The TSL_NET_FSU_* exports: one row per request operation, then the file
// transfers and the callback setters.
#include <functional>
#include <utility>

#include "Base/DeviceTable.h"
#include "Fsu/FsuDevice.h"
#include "Fsu/FsuOperations.h"
#include "TslFsu.h"

using namespace tsl;
using namespace tsl::fsu;

namespace {

int Run(int handle, const Operation& op, const void* in = nullptr, uint32_t key = 0, void* out = nullptr) {
    return WithDevice<FsuDevice>(handle, [&](FsuDevice& d) { return d.Perform(op, in, key, out); });
}

template <class Body>
int OnFsu(int handle, Body&& body) {
    return WithDevice<FsuDevice>(handle, std::forward<Body>(body));
}

}  // namespace

// clang-format off
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetUserData(int handle, Np_FsuUserData* user) { return Run(handle, kGetUserData, nullptr, 0, user); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteUserData(int handle, uint8_t index) { return Run(handle, kDeleteUserData, nullptr, index); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetUserData(int handle, Np_FsuUserData user) { return Run(handle, kSetUserData, &user); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearUserData(int handle) { return Run(handle, kClearUserData); }

TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetIpBindParams(int handle, Np_FsuIpBindParams* params) { return Run(handle, kGetIpBindParams, nullptr, 0, params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetIpBindParams(int handle, Np_FsuIpBindParams params) { return Run(handle, kSetIpBindParams, &params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearIpBindParams(int handle) { return Run(handle, kClearIpBindParams); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetMacBindParams(int handle, Np_FsuMacBindParams* params) { return Run(handle, kGetMacBindParams, nullptr, 0, params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetMacBindParams(int handle, Np_FsuMacBindParams params) { return Run(handle, kSetMacBindParams, &params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearMacBindParams(int handle) { return Run(handle, kClearMacBindParams); }

TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetDeviceInfo(int handle, Np_FsuDeviceInfo* info) { return Run(handle, kGetDeviceInfo, nullptr, 0, info); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetDeviceInfo(int handle, Np_FsuDeviceInfo info) { return Run(handle, kSetDeviceInfo, &info); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearDeviceInfo(int handle) { return Run(handle, kClearDeviceInfo); }

TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetModbusParams(int handle, Np_FsuModbusParams* params) { return Run(handle, kGetModbusParams, nullptr, 0, params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteModbusParams(int handle, uint8_t channel) { return Run(handle, kDeleteModbusParams, nullptr, channel); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetModbusParams(int handle, Np_FsuModbusParams params) { return Run(handle, kSetModbusParams, &params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearModbusParams(int handle) { return Run(handle, kClearModbusParams); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetModbusData(int handle, Np_FsuModbusValues* values) { return Run(handle, kGetModbusData, nullptr, 0, values); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetModbusData(int handle, Np_FsuModbusWrite data) { return Run(handle, kSetModbusData, &data); }

TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetRegisterParams(int handle, Np_FsuRegisterParams* params) { return Run(handle, kGetRegisterParams, nullptr, 0, params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteRegisterParams(int handle, uint8_t channel) { return Run(handle, kDeleteRegisterParams, nullptr, channel); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetRegisterParams(int handle, Np_FsuRegisterParams params) { return Run(handle, kSetRegisterParams, &params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearRegisterParams(int handle) { return Run(handle, kClearRegisterParams); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteRegisterParamsSingle(int handle, Np_FsuRegisterKey key) { return Run(handle, kDeleteRegisterParamsSingle, &key); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetRegisterParamsSingle(int handle, Np_FsuRegisterParamsSingle params) { return Run(handle, kSetRegisterParamsSingle, &params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetRegisterDesc(int handle, Np_FsuRegisterKey key, Np_FsuRegisterDesc* desc) { return Run(handle, kGetRegisterDesc, &key, 0, desc); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteRegisterDesc(int handle, Np_FsuRegisterKey key) { return Run(handle, kDeleteRegisterDesc, &key); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetRegisterDesc(int handle, Np_FsuRegisterDesc desc) { return Run(handle, kSetRegisterDesc, &desc); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearRegisterDesc(int handle) { return Run(handle, kClearRegisterDesc); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetRegisterMap(int handle, Np_FsuRegisterMap* map) { return Run(handle, kGetRegisterMap, nullptr, 0, map); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteRegisterMap(int handle, uint8_t typeNo) { return Run(handle, kDeleteRegisterMap, nullptr, typeNo); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetRegisterMap(int handle, Np_FsuRegisterMap map) { return Run(handle, kSetRegisterMap, &map); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearRegisterMap(int handle) { return Run(handle, kClearRegisterMap); }

TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetAnalogParams(int handle, Np_FsuAnalogParams* params) { return Run(handle, kGetAnalogParams, nullptr, 0, params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteAnalogParams(int handle, uint8_t channel) { return Run(handle, kDeleteAnalogParams, nullptr, channel); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetAnalogParams(int handle, Np_FsuAnalogParams params) { return Run(handle, kSetAnalogParams, &params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearAnalogParams(int handle) { return Run(handle, kClearAnalogParams); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetAnalogCalibrateParams(int handle, Np_FsuAnalogCalibrateParams* params) { return Run(handle, kGetAnalogCalibrateParams, nullptr, 0, params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetAnalogCalibrateParams(int handle, Np_FsuAnalogCalibrateParams params) { return Run(handle, kSetAnalogCalibrateParams, &params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearAnalogCalibrateParams(int handle) { return Run(handle, kClearAnalogCalibrateParams); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetAnalogData(int handle, Np_FsuAnalogChannelData* data) { return Run(handle, kGetAnalogData, nullptr, 0, data); }

TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetRs485Info(int handle, Np_FsuRs485Info* info) { return Run(handle, kGetRs485Info, nullptr, 0, info); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetRs485Info(int handle, Np_FsuRs485Info info) { return Run(handle, kSetRs485Info, &info); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearRs485Info(int handle) { return Run(handle, kClearRs485Info); }

TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetInputParams(int handle, Np_FsuInputParams* params) { return Run(handle, kGetInputParams, nullptr, 0, params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetInputParams(int handle, Np_FsuInputParams params) { return Run(handle, kSetInputParams, &params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearInputParams(int handle) { return Run(handle, kClearInputParams); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetInputState(int handle, Np_FsuInputState* state) { return Run(handle, kGetInputState, nullptr, 0, state); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetOutputParams(int handle, Np_FsuOutputParams* params) { return Run(handle, kGetOutputParams, nullptr, 0, params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetOutputParams(int handle, Np_FsuOutputParams params) { return Run(handle, kSetOutputParams, &params); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearOutputParams(int handle) { return Run(handle, kClearOutputParams); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetOutputState(int handle, Np_FsuOutputState* state) { return Run(handle, kGetOutputState, nullptr, 0, state); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetAlarmFilterInfo(int handle, Np_FsuAlarmFilterInfo* info) { return Run(handle, kGetAlarmFilterInfo, nullptr, 0, info); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetAlarmFilterInfo(int handle, Np_FsuAlarmFilterInfo info) { return Run(handle, kSetAlarmFilterInfo, &info); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_IOControl(int handle, Np_FsuIOControl control) { return Run(handle, kIOControl, &control); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetLinkageInfo(int handle, Np_FsuLinkageInfo* info) { return Run(handle, kGetLinkageInfo, nullptr, 0, info); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_DeleteLinkageInfo(int handle, uint8_t linkageId) { return Run(handle, kDeleteLinkageInfo, nullptr, linkageId); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetLinkageInfo(int handle, Np_FsuLinkageInfo info) { return Run(handle, kSetLinkageInfo, &info); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ClearLinkageInfo(int handle) { return Run(handle, kClearLinkageInfo); }

TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetModbusEventData(int handle, Np_EventQuery query, Np_FsuEventDataList* list) { return Run(handle, kGetModbusEventData, &query, 0, list); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetAnalogEventData(int handle, Np_EventQuery query, Np_FsuEventDataList* list) { return Run(handle, kGetAnalogEventData, &query, 0, list); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetInputEventData(int handle, Np_EventQuery query, Np_FsuEventDataList* list) { return Run(handle, kGetInputEventData, &query, 0, list); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetOutputEventData(int handle, Np_EventQuery query, Np_FsuEventDataList* list) { return Run(handle, kGetOutputEventData, &query, 0, list); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetEvent(int handle, Np_EventQuery query, Np_FsuEventList* list) { return Run(handle, kGetEvent, &query, 0, list); }

TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusExportHead(int handle, Np_FsuModbusHead* head) { return Run(handle, kModbusExportHead, nullptr, 0, head); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusExportData(int handle, Np_FsuRegisterKey key, Np_FsuModbusRecord* record) { return Run(handle, kModbusExportData, &key, 0, record); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusImportHead(int handle, Np_FsuModbusHead head) { return Run(handle, kModbusImportHead, &head); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusImportData(int handle, Np_FsuModbusRecord record) { return Run(handle, kModbusImportData, &record); }
TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusClearHead(int handle) { return Run(handle, kModbusClearHead); }
// clang-format on

TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusExportCsv(int handle, const char* path) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.ModbusExportCsv(path); });
}

TSL_EXTERN_C TSL_API int TSL_NET_FSU_ModbusImportCsv(int handle, const char* path) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.ModbusImportCsv(path); });
}

TSL_EXTERN_C TSL_API int TSL_NET_FSU_GetStructFile(int handle, uint8_t* buffer, uint32_t* length) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.GetStructFile(buffer, length); });
}

TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetStructFile(int handle, const uint8_t* data, int length) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetStructFile(data, length); });
}

TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetEventCallback(int handle, TSL_FsuEventCallback callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetEventCallback(d.Adapt(callback)); });
}

TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetEventCallbackFull(int handle, TSL_FsuEventCallback callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetEventCallbackFull(d.Adapt(callback)); });
}

TSL_API int TSL_NET_FSU_SetEventCallback(int handle, std::function<void(int, Np_FsuEventInfo)> callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetEventCallback(std::move(callback)); });
}

TSL_API int TSL_NET_FSU_SetEventCallbackFull(int handle, std::function<void(int, Np_FsuEventInfo)> callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetEventCallbackFull(std::move(callback)); });
}

TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetModbusDataCallback(int handle, TSL_FsuModbusDataCallback callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetModbusDataCallback(d.AdaptData(callback)); });
}

TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetAnalogDataCallback(int handle, TSL_FsuAnalogDataCallback callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetAnalogDataCallback(d.AdaptData(callback)); });
}

TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetInputDataCallback(int handle, TSL_FsuInputDataCallback callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetInputDataCallback(d.AdaptData(callback)); });
}

TSL_EXTERN_C TSL_API int TSL_NET_FSU_SetOutputDataCallback(int handle, TSL_FsuOutputDataCallback callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetOutputDataCallback(d.AdaptData(callback)); });
}

TSL_API int TSL_NET_FSU_SetModbusDataCallback(int handle,
                                              std::function<void(int, Np_FsuModbusData)> callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetModbusDataCallback(std::move(callback)); });
}

TSL_API int TSL_NET_FSU_SetAnalogDataCallback(int handle,
                                              std::function<void(int, Np_FsuAnalogData)> callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetAnalogDataCallback(std::move(callback)); });
}

TSL_API int TSL_NET_FSU_SetInputDataCallback(int handle, std::function<void(int, Np_FsuInputData)> callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetInputDataCallback(std::move(callback)); });
}

TSL_API int TSL_NET_FSU_SetOutputDataCallback(int handle,
                                              std::function<void(int, Np_FsuOutputData)> callback) {
    return OnFsu(handle, [&](FsuDevice& d) { return d.SetOutputDataCallback(std::move(callback)); });
}
