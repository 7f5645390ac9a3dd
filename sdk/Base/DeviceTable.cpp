#include "Base/DeviceTable.h"

#include <mutex>

#include "Base/ThreadPool.h"

namespace tsl {

namespace {

// Reports a lost connection and removes the device, unless another path
// (Logout, Cleanup, a successful Reboot/Format/Restore) already did.
void RunDisconnectTask(const std::weak_ptr<Device>& weak, int handle) {
    std::shared_ptr<Device> device = weak.lock();
    if (!device || !device->registered() || !device->ClaimDisconnect()) return;
    if (auto callback = device->disconnectCallback()) device->CallBack([&] { callback(handle); });
    std::shared_ptr<Device> taken = DeviceTable::Instance().Take(handle, device.get());
    if (taken) taken->Logout();
    // The last references go here, on a pool worker, outside the table lock.
}

}  // namespace

void QueueDisconnect(const std::weak_ptr<Device>& weak, int handle) {
    ThreadPool::Instance().Enqueue([weak, handle] { RunDisconnectTask(weak, handle); });
}

DeviceTable::DeviceTable() {
    devices_.max_load_factor(1.0f);
    devices_.rehash(8);
}

DeviceTable& DeviceTable::Instance() {
    static DeviceTable table;
    return table;
}

std::shared_ptr<Device> DeviceTable::Find(int handle) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    auto it = devices_.find(handle);
    return it == devices_.end() ? nullptr : it->second;
}

int DeviceTable::Insert(const std::shared_ptr<Device>& device) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    int handle = 0;
    for (int h = 1; h <= kMaxHandles; ++h)
        if (devices_.find(h) == devices_.end()) {
            handle = h;
            break;
        }
    if (handle == 0) return 0;
    device->setHandle(handle);
    device->setRegistered(true);
    devices_.emplace(handle, device);
    // The hook holds the device weakly: a device never keeps itself alive.
    std::weak_ptr<Device> weak = device;
    device->SetDisconnectHook([weak](int h) { QueueDisconnect(weak, h); });
    return handle;
}

std::shared_ptr<Device> DeviceTable::Take(int handle, const Device* expected) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    auto it = devices_.find(handle);
    if (it == devices_.end() || (expected && it->second.get() != expected)) return nullptr;
    std::shared_ptr<Device> device = std::move(it->second);
    devices_.erase(it);
    device->setRegistered(false);
    return device;
}

std::vector<std::shared_ptr<Device>> DeviceTable::TakeAll() {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    std::vector<std::shared_ptr<Device>> all;
    all.reserve(devices_.size());
    for (auto& entry : devices_) {
        entry.second->setRegistered(false);
        all.push_back(std::move(entry.second));
    }
    devices_.clear();
    return all;
}

size_t DeviceTable::Size() const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    return devices_.size();
}

void ReleaseDevices(std::vector<std::shared_ptr<Device>> devices) {
    for (auto& device : devices) {
        device->SetDisconnectHook(nullptr);
        device->Logout();
    }
    // Nothing may reach the caller once it has let its devices go.
    for (auto& device : devices) device->CloseCallbacks();
    // Closing all first lets every receive thread end at once; the joins in
    // the destructors then take no time.
    devices.clear();
}

void CleanupDevices() {
    ReleaseDevices(DeviceTable::Instance().TakeAll());
}

}  // namespace tsl
