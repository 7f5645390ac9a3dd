// Handles 1 to 256 naming the logged-in devices, and the frame every export
// with a handle runs in.
#pragma once

#include <array>
#include <memory>
#include <shared_mutex>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "Base/Device.h"

namespace tsl {

constexpr int kMaxHandles = 256;

class DeviceTable {
  public:
    static DeviceTable& Instance();

    std::shared_ptr<Device> Find(int handle) const;
    // Registers the device under the lowest free handle and installs its
    // disconnect hook; 0 when every handle is taken.
    int Insert(const std::shared_ptr<Device>& device);
    // Removes the entry if it still holds `expected` (any device when null);
    // the caller drops the returned reference outside the lock.
    std::shared_ptr<Device> Take(int handle, const Device* expected);
    std::vector<std::shared_ptr<Device>> TakeAll();
    size_t Size() const;

  private:
    DeviceTable();
    mutable std::shared_mutex mutex_;
    std::unordered_map<int, std::shared_ptr<Device>> devices_;
};

// Queues the disconnect task of a device whose connection ended.
void QueueDisconnect(const std::weak_ptr<Device>& weak, int handle);

// Closes removed devices and lets them go: hooks cleared first, so nothing
// is reported for them.
void ReleaseDevices(std::vector<std::shared_ptr<Device>> devices);

// Empties the table at unload or Cleanup.
void CleanupDevices();

// Runs `body` on the handle's device, cast to the family D: -1 for an unknown
// handle, -2 for another family, -18 for anything thrown.
template <class D = Device, class F>
int WithDevice(int handle, F&& body) noexcept {
    try {
        std::shared_ptr<Device> base = DeviceTable::Instance().Find(handle);
        if (!base) return ERR_INVALID_HANDLE;
        if constexpr (std::is_same_v<D, Device>) {
            return body(*base);
        } else {
            D* device = dynamic_cast<D*>(base.get());
            if (!device) return ERR_DEVICE_TYPE;
            return body(*device);
        }
    } catch (...) {
        return ERR_SDK_UNKNOWN;
    }
}

}  // namespace tsl
