// The process-wide list of devices, keyed by name, with the current device.
// Used from the GUI thread and from the SDK's worker threads (the disconnect
// road); one mutex guards every access.
#pragma once

#include <QString>

#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "Device.h"
#include "TslDev.h"

// Ends the event subscription of the device at `handle` through its family's
// plain setter with no callback; 0 for a type without events (NTP servers).
int unsubscribeEvents(int type, int handle);

class DeviceRegistry {
  public:
    static DeviceRegistry& instance();

    int add(Device device);
    // As add, without writing the list: for the records load() has just
    // read, which the list already holds (a start with many saved devices
    // would otherwise write the list once per device).
    int addLoaded(Device device);
    int remove(const std::string& name);
    int get(Device& device) const;
    // Takes over what a user can edit (address, port, user, password); the
    // handle, tree row and information block stay those of the stored entry.
    int update(const Device& device);
    int handle(const std::string& name) const;
    int setHandle(const std::string& name, int handle);
    int setInfoBlock(const std::string& name, const Np_LoginInfo& info);
    QStandardItem* itemByHandle(int handle) const;
    // The name of the device holding `handle`, empty when none does.
    std::string nameByHandle(int handle) const;
    std::vector<Device> devices() const;  // sorted by name

    int currentHandle() const;
    InfoBlock currentInfoBlock() const;
    std::string currentName() const;
    int currentType() const;
    // Ends the previous current device's event subscription first, through
    // the waiter.
    int setCurrent(const std::string& name);

    // How the registry makes a call that waits on a device: directly, unless
    // the program installs its runner, which keeps the window responsive.
    using Waiter = std::function<void(const std::function<void()>& call)>;
    static void setWaiter(Waiter waiter);

    static std::string errorText(int code);
    static std::string eventText(int code);

    // What reading the list had to do with it, for the one box at start. A
    // list that could not be taken as it stands (unreadable, or records the
    // next write would drop or change) is kept as a copy beside it first (a
    // copy an earlier start kept of the same bytes serves), or, when no copy
    // can be made, never written over.
    struct LoadNote {
        enum Kind { Whole, KeptAside, LeftAlone } kind = Whole;
        QString kept;  // KeptAside: the path of the copy
    };

    // The saved list. Reading it gives the records in key order; nothing is
    // stored by reading (the main window adds each record with its row).
    std::vector<Device> load(LoadNote* note = nullptr);
    // Writes the saved list now; add, remove and update do it themselves.
    // Returns false when it could not be written; the old file stays whole.
    bool save();
    // The write as the program ends, by the window and once more by the
    // registry itself: a failure is said on standard error and in the
    // program's log, since no window is left to say it.
    void writeAtExit();
    // Whether the last write of the list succeeded: a caller of add, remove or
    // update asks it to tell the user a change is held in memory only.
    bool saved() const;

    // For tests and tools: where the list lives ("./devices.bin" by default),
    // and an empty registry with nothing current and nothing written.
    void setFilePath(const QString& path);
    QString filePath() const;
    void resetForTests();

  private:
    DeviceRegistry() = default;
    ~DeviceRegistry();
    DeviceRegistry(const DeviceRegistry&) = delete;
    DeviceRegistry& operator=(const DeviceRegistry&) = delete;

    bool saveLocked();
    // `read`: the bytes of a list that was read, which stays where it is and
    // is copied unless a copy holds them already; null: one that could not be
    // read, which is moved.
    void keepAside(const QString& path, const char* why, const QByteArray* read, LoadNote& note);
    int addWith(Device device, bool save);
    const Device* currentLocked() const;

    mutable std::mutex mutex_;
    std::unordered_map<std::string, Device> devices_;
    std::string current_;
    QString path_ = QStringLiteral("./devices.bin");
    bool used_ = false;      // loaded or changed since the exit's write: the exit writes the list
    bool keepList_ = false;  // the list could not be kept aside as it was read: never overwrite it
    bool saved_ = true;      // the last write succeeded
    QString writeError_;     // why it did not
};
