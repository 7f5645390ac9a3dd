// What the library sets up when it is loaded and tears down, in a fixed
// order, when it is unloaded: devices first (their threads feed the pool and
// the logger), then the pool, the discovery sockets and last the logger.
#include "Base/DeviceTable.h"
#include "Base/Logger.h"
#include "Base/Manager.h"
#include "Base/NetworkAdapters.h"
#include "Base/ThreadPool.h"

namespace tsl {
namespace {

struct Library {
    Library() {
        // Objects touched here are built before, and so destroyed after, this one.
        LocalAdapters();
        Logger::Instance();
        DeviceTable::Instance();
    }
    ~Library() {
        CleanupDevices();
        ThreadPool::ShutdownInstance();
        Manager::ShutdownInstance();
        Logger::Instance().Shutdown();
    }
};

Library g_library;

}  // namespace
}  // namespace tsl
