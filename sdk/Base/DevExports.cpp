// The TSL_NET_DEV_* exports: the device table, the operations every family
// shares, and the file transfers.
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "Base/DeviceTable.h"
#include "Base/Request.h"
#include "Base/ThreadPool.h"
#include "TslDev.h"

using namespace tsl;

namespace {

constexpr IdentityModule kCommon = IdentityModule::Common;

int Run(int handle, const Operation& op, const void* in = nullptr, uint32_t key = 0, void* out = nullptr) {
    return WithDevice(handle, [&](Device& d) { return Perform(d, kCommon, op, in, key, out); });
}

// Reboot, Format and Restore end the registration: the caller hears of it
// through its disconnect callback before the export returns.
int RunRemoving(int handle, uint32_t cmd) {
    return WithDevice(handle, [&](Device& d) {
        d.BeginOwnRemoval();
        int32_t status = Perform(d, kCommon, {cmd, Payload::None, 0, 0}, nullptr, 0, nullptr);
        if (status != 0) {
            if (d.EndOwnRemoval()) QueueDisconnect(d.weak_from_this(), d.handle());
            return status;
        }
        d.SetDisconnectHook(nullptr);
        if (d.ClaimRemoval()) {
            if (auto callback = d.disconnectCallback()) d.CallBack([&] { callback(handle); });
            DeviceTable::Instance().Take(handle, &d);
        }
        return 0;
    });
}

Device::Progress Adapt(Device& device, TSL_ProgressCallback callback) {
    if (!callback) return {};
    std::weak_ptr<Device> weak = device.weak_from_this();
    return [weak, callback](int h, int value) {
        std::shared_ptr<Device> d = weak.lock();
        callback(h, value, d ? reinterpret_cast<void*>(static_cast<uintptr_t>(d->context())) : nullptr);
    };
}

using Method = int32_t (Device::*)(const char*, const Device::Progress&);

int Transfer(int handle, Method method, const char* path, Device::Progress progress) {
    return WithDevice(handle, [&](Device& d) { return (d.*method)(path, progress); });
}

// The task keeps its device alive while it runs and reports only through the
// callback.
int TransferAsync(int handle, Method method, const char* path, Device::Progress progress) {
    return WithDevice(handle, [&](Device& d) {
        std::shared_ptr<Device> self = d.shared_from_this();
        std::string copy = path ? path : "";
        bool hasPath = path != nullptr;
        ThreadPool::Instance().Enqueue([self, method, copy, hasPath, progress] {
            Device::Progress guarded;
            if (progress)
                guarded = [&self, &progress](int h, int v) { self->CallBack([&] { progress(h, v); }); };
            try {
                (self.get()->*method)(hasPath ? copy.c_str() : nullptr, guarded);
            } catch (...) {
                // The callback is the caller's only news of the outcome, and
                // the task's own result is dropped.
                try {
                    if (guarded) guarded(self->handle(), ERR_SDK_UNKNOWN);
                } catch (...) {
                }
            }
        });
        return 0;
    });
}

int Stop(int handle, std::atomic<bool> Device::*flag) {
    return WithDevice(handle, [&](Device& d) { return (d.*flag).exchange(true) ? ERR_SDK_UNKNOWN : 0; });
}

}  // namespace

TSL_EXTERN_C TSL_API int TSL_NET_DEV_Init(void) {
    return 0;
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_Logout(int handle) {
    try {
        std::shared_ptr<Device> device = DeviceTable::Instance().Find(handle);
        if (!device) return ERR_INVALID_HANDLE;
        device->SetDisconnectHook(nullptr);
        device->Logout();
        DeviceTable::Instance().Take(handle, device.get());
        return 0;
    } catch (...) {
        return ERR_SDK_UNKNOWN;
    }
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_Cleanup(void) {
    try {
        CleanupDevices();
    } catch (...) {
    }
    return 0;
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetContext(int handle, void* context) {
    return WithDevice(handle, [&](Device& d) {
        d.setContext(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(context)));
        return 0;
    });
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDisconnectCallback(int handle, TSL_DisconnectCallback callback) {
    return WithDevice(handle, [&](Device& d) {
        Device::HandleCallback adapter;
        if (callback) {
            // Reads the context at each call, so the last SetContext counts.
            std::weak_ptr<Device> weak = d.weak_from_this();
            adapter = [weak, callback](int h) {
                std::shared_ptr<Device> device = weak.lock();
                callback(
                    h, device ? reinterpret_cast<void*>(static_cast<uintptr_t>(device->context())) : nullptr);
            };
        }
        // A device whose loss is being reported now is gone for the caller.
        return d.SetDisconnectCallback(std::move(adapter)) ? 0 : ERR_INVALID_HANDLE;
    });
}

TSL_API int TSL_NET_DEV_SetDisconnectCallback(int handle, std::function<void(int)> callback) {
    return WithDevice(handle, [&](Device& d) {
        return d.SetDisconnectCallback(std::move(callback)) ? 0 : ERR_INVALID_HANDLE;
    });
}

// Common operations: command, payload shape, request bytes, reply bytes.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetTime(int handle, Np_Time* time) {
    return Run(handle, {1008, Payload::None, 0, sizeof(Np_Time)}, nullptr, 0, time);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetTime(int handle, Np_Time time) {
    return Run(handle, {1009, Payload::Whole, sizeof time, 0}, &time);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetNtpInfo(int handle, Np_NtpInfo* info) {
    return Run(handle, {1010, Payload::Zero, sizeof(Np_NtpInfo), sizeof(Np_NtpInfo)}, nullptr, 0, info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetNtpInfo(int handle, Np_NtpInfo info) {
    return Run(handle, {1011, Payload::Whole, sizeof info, 0}, &info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetPlanTemplate(int handle, Np_PlanTemplate* plan) {
    return Run(handle, {1012, Payload::RecordKey16, 32, sizeof(Np_PlanTemplate)}, nullptr, 0, plan);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_DeletePlanTemplate(int handle, int id) {
    return Run(handle, {1013, Payload::Key16, 32, 0}, nullptr, static_cast<uint32_t>(id));
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetPlanTemplate(int handle, Np_PlanTemplate plan) {
    return Run(handle, {1014, Payload::Whole, sizeof plan, 0}, &plan);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ClearPlanTemplate(int handle) {
    return Run(handle, {1015, Payload::None, 0, 0});
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetWeekPlan(int handle, Np_WeekPlan* plan) {
    return Run(handle, {1016, Payload::RecordKey16, 32, sizeof(Np_WeekPlan)}, nullptr, 0, plan);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_DeleteWeekPlan(int handle, int id) {
    return Run(handle, {1017, Payload::Key16, 32, 0}, nullptr, static_cast<uint32_t>(id));
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetWeekPlan(int handle, Np_WeekPlan plan) {
    return Run(handle, {1018, Payload::Whole, sizeof plan, 0}, &plan);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ClearWeekPlan(int handle) {
    return Run(handle, {1019, Payload::None, 0, 0});
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetHolidayPlan(int handle, Np_HolidayPlan* plan) {
    return Run(handle, {1020, Payload::RecordKey16, 32, sizeof(Np_HolidayPlan)}, nullptr, 0, plan);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_DeleteHolidayPlan(int handle, int id) {
    return Run(handle, {1021, Payload::Key16, 32, 0}, nullptr, static_cast<uint32_t>(id));
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetHolidayPlan(int handle, Np_HolidayPlan plan) {
    return Run(handle, {1022, Payload::Whole, sizeof plan, 0}, &plan);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ClearHolidayPlan(int handle) {
    return Run(handle, {1023, Payload::None, 0, 0});
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetDeviceInfo(int handle, Np_DeviceInfo* info) {
    return Run(handle, {1024, Payload::None, 0, sizeof(Np_DeviceInfo)}, nullptr, 0, info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDeviceInfo(int handle, Np_DeviceInfo info) {
    return Run(handle, {10000, Payload::Whole, sizeof info, 0}, &info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetDeviceNameInfo(int handle, Np_DeviceNameInfo* info) {
    return Run(handle, {1025, Payload::None, 0, sizeof(Np_DeviceNameInfo)}, nullptr, 0, info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDeviceNameInfo(int handle, Np_DeviceNameInfo info) {
    return Run(handle, {1026, Payload::Whole, sizeof info, 0}, &info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetDeviceNetworkInfo(int handle, Np_DeviceNetworkInfo* info) {
    return Run(handle, {1027, Payload::None, 0, sizeof(Np_DeviceNetworkInfo)}, nullptr, 0, info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDeviceNetworkInfo(int handle, Np_DeviceNetworkInfo info) {
    return Run(handle, {1028, Payload::Whole, sizeof info, 0}, &info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetDeviceNetworkInfo2(int handle, Np_DeviceNetworkInfo* info) {
    return Run(handle, {1047, Payload::None, 0, sizeof(Np_DeviceNetworkInfo)}, nullptr, 0, info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDeviceNetworkInfo2(int handle, Np_DeviceNetworkInfo info) {
    return Run(handle, {1048, Payload::Whole, sizeof info, 0}, &info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetDeviceRs485Info(int handle, Np_DeviceRs485Info* info) {
    return Run(handle, {1042, Payload::None, 0, sizeof(Np_DeviceRs485Info)}, nullptr, 0, info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetDeviceRs485Info(int handle, Np_DeviceRs485Info info) {
    return Run(handle, {1043, Payload::Whole, sizeof info, 0}, &info);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetIdList(int handle, Np_IdListQuery query, Np_IdList* list) {
    return Run(handle, {1044, Payload::Whole, sizeof query, sizeof(Np_IdList)}, &query, 0, list);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_GetLog(int handle, Np_EventQuery query, Np_LogList* list) {
    return Run(handle, {1041, Payload::Whole, sizeof query, sizeof(Np_LogList)}, &query, 0, list);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ClearLog(int handle) {
    return Run(handle, {1040, Payload::None, 0, 0});
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ClearEvent(int handle) {
    return Run(handle, {1034, Payload::None, 0, 0});
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_SetPassword(int handle, const char* password) {
    char payload[32] = {};
    std::snprintf(payload, 16, "%s", password ? password : "");
    return Run(handle, {1003, Payload::Whole, sizeof payload, 0}, payload);
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_Reboot(int handle) {
    return RunRemoving(handle, 1004);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_Format(int handle) {
    return RunRemoving(handle, 1005);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_Restore(int handle) {
    return RunRemoving(handle, 1006);
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_TestControl(int handle, bool on, char* text) {
    uint8_t payload[32] = {};
    payload[0] = on ? 1 : 2;
    return Run(handle, {1400, Payload::Whole, sizeof payload, 256}, payload, 0, text);
}

// Transfers, in both callback forms.
TSL_EXTERN_C TSL_API int TSL_NET_DEV_StartUpgrade(int handle, const char* path, TSL_ProgressCallback cb) {
    return WithDevice(handle, [&](Device& d) { return d.StartUpgrade(path, Adapt(d, cb)); });
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_StartUpgradeAsync(int handle, const char* path,
                                                       TSL_ProgressCallback cb) {
    return WithDevice(
        handle, [&](Device& d) { return TransferAsync(handle, &Device::StartUpgrade, path, Adapt(d, cb)); });
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ExportConfigFile(int handle, const char* path, TSL_ProgressCallback cb) {
    return WithDevice(handle, [&](Device& d) { return d.ExportConfigFile(path, Adapt(d, cb)); });
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ExportConfigFileAsync(int handle, const char* path,
                                                           TSL_ProgressCallback cb) {
    return WithDevice(handle, [&](Device& d) {
        return TransferAsync(handle, &Device::ExportConfigFile, path, Adapt(d, cb));
    });
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ImportConfigFile(int handle, const char* path, TSL_ProgressCallback cb) {
    return WithDevice(handle, [&](Device& d) { return d.ImportConfigFile(path, Adapt(d, cb)); });
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_ImportConfigFileAsync(int handle, const char* path,
                                                           TSL_ProgressCallback cb) {
    return WithDevice(handle, [&](Device& d) {
        return TransferAsync(handle, &Device::ImportConfigFile, path, Adapt(d, cb));
    });
}

TSL_API int TSL_NET_DEV_StartUpgrade(int handle, const char* path, std::function<void(int, int)> cb) {
    return Transfer(handle, &Device::StartUpgrade, path, std::move(cb));
}
TSL_API int TSL_NET_DEV_StartUpgradeAsync(int handle, const char* path, std::function<void(int, int)> cb) {
    return TransferAsync(handle, &Device::StartUpgrade, path, std::move(cb));
}
TSL_API int TSL_NET_DEV_ExportConfigFile(int handle, const char* path, std::function<void(int, int)> cb) {
    return Transfer(handle, &Device::ExportConfigFile, path, std::move(cb));
}
TSL_API int TSL_NET_DEV_ExportConfigFileAsync(int handle, const char* path,
                                              std::function<void(int, int)> cb) {
    return TransferAsync(handle, &Device::ExportConfigFile, path, std::move(cb));
}
TSL_API int TSL_NET_DEV_ImportConfigFile(int handle, const char* path, std::function<void(int, int)> cb) {
    return Transfer(handle, &Device::ImportConfigFile, path, std::move(cb));
}
TSL_API int TSL_NET_DEV_ImportConfigFileAsync(int handle, const char* path,
                                              std::function<void(int, int)> cb) {
    return TransferAsync(handle, &Device::ImportConfigFile, path, std::move(cb));
}

TSL_EXTERN_C TSL_API int TSL_NET_DEV_StopUpgrade(int handle) {
    return Stop(handle, &Device::upgradeStop);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_StopExportConfigFile(int handle) {
    return Stop(handle, &Device::exportStop);
}
TSL_EXTERN_C TSL_API int TSL_NET_DEV_StopImportConfigFile(int handle) {
    return Stop(handle, &Device::importStop);
}
