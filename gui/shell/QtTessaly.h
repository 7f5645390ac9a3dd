// The main window: the saved devices in a tree by type, the search table, the
// page stack with every device page, and the device-wide operations of the
// tree's context menu. It keeps no device state of its own: devices, handles
// and the current device live in the registry.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QStandardItemModel>

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

#include "CallbackRelay.h"
#include "Device.h"
#include "DeviceTypes.h"
#include "PageTable.h"
#include "TslDiscovery.h"
#include "ui_QtTessaly.h"

class QMenu;

constexpr int kSearchCapacity = 256;

class QtTessaly : public QMainWindow {
    Q_OBJECT

  public:
    explicit QtTessaly(QWidget* parent = nullptr);
    ~QtTessaly() override;

    // Fills the search table from a search's records: the count is clamped
    // to what the list holds, every text is read within its field.
    static void fillSearchModel(QStandardItemModel& model, const Np_SearchInfo* list, int count);

    // The tree's context menu for the row at `pos` (viewport coordinates);
    // null where no menu belongs (a type row, empty space).
    std::unique_ptr<QMenu> deviceMenu(const QPoint& pos);
    // The tree row of a device, null when it has none.
    QStandardItem* deviceRow(const std::string& name) const;

  private slots:
    void on_devScanButton_clicked();
    void on_singleScanButton_clicked();
    void on_devAddButton_clicked();
    void on_networkButton_clicked();
    void on_planButton_clicked();
    void on_eventButton_clicked();
    void on_logButton_clicked();

  private:
    void search(int type);
    void showPage(int index);
    void onDeviceSelected();
    void onFunctionButton(int button);
    void showDeviceMenu(const QPoint& pos);
    bool appendRow(Device device, bool fromList);
    QStandardItem* newRow(const std::string& name) const;
    void setOnline(QStandardItem* row, bool online) const;
    // Takes a fresh login's handle into the registry with its disconnect
    // watch: 0, the device online; or the SDK's refusal, when the device was
    // lost before the watch was in and the handle is no longer its own: the
    // device then stays offline with no handle.
    int adoptLogin(const std::string& name, int handle, const Np_LoginInfo& info);
    // The device holds no handle any more: offline, and any disconnect still
    // queued for its last login is stale.
    void dropDevice(const std::string& name);
    void onDeviceDisconnected(const std::string& name, unsigned login);

    void loginDevice(const std::string& name, const Device& copy);
    void logoutDevice(const std::string& name);
    void rebootDevice(const Device& copy);
    void restoreDevice(const Device& copy);
    void formatDevice(const Device& copy);
    // Reboot, restore and format: the SDK ends the login when they succeed.
    void removingCall(const std::string& name, int (*operation)(int handle));
    void deleteDevice(const std::string& name, const QPersistentModelIndex& row);
    void showDeviceProperties(const std::string& name);
    void addDevice(Device device);
    void addAndActivateDevice(Device device);
    void updateDevice(Device device);
    // The SDK calls that wait on a device, made through the kit's runner.
    int login(const Device& device, Np_LoginInfo& info);
    int call(int (*operation)(int handle), int handle);

    Ui::QtTessalyClass ui;
    Pages pages;  // every device page, in the page table's order
    QStandardItemModel searchModel;
    QStandardItemModel treeModel;
    const QIcon onlineIcon_{QStringLiteral(":/icon/online.svg")};
    const QIcon offlineIcon_{QStringLiteral(":/icon/offline.svg")};
    // The buttons' type, as they were labelled at the last selection.
    int buttonType_ = 0;
    // Which login of a device a disconnect belongs to: one that arrives after
    // a logout and a new login (which may well get the same handle) is stale.
    std::unordered_map<std::string, unsigned> logins_;
    unsigned loginCount_ = 0;
    // Disconnects reach the window only through this; cut first in the destructor.
    CallbackRelay relay_{this};
};
