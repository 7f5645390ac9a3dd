#include "QtTessaly.h"

#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ConfigBackupDialog.h"
#include "DeviceAddDialog.h"
#include "DeviceRegistry.h"
#include "FirmwareUpdateDialog.h"
#include "PageKit.h"
#include "PageKitRunner.h"
#include "PasswordModifyDialog.h"
#include "TslDev.h"

namespace {

constexpr int kTypeRole = Qt::UserRole + 1;
constexpr int kLoginTimeoutMs = 5000;

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// The build's own date and time, "yyyy/mm/dd hh:mm:ss".
QString buildStamp() {
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* date = __DATE__;  // "Mmm dd yyyy"
    int month = 0;
    for (int i = 0; i < 12; ++i)
        if (std::strncmp(date, months[i], 3) == 0) month = i + 1;
    return QString::asprintf("%04d/%02d/%02d %s", std::atoi(date + 7), month, std::atoi(date + 4), __TIME__);
}

void showResult(QWidget* parent, int result) {
    if (result < 0)
        kit::showFailure(parent, result, kit::FailText::Write);
    else
        kit::showSuccess(parent);
}

QString codeText(const char* pattern, int code) {
    return u8(pattern).arg(code).arg(kit::errorText(code));
}

QString listNoteText(const DeviceRegistry::LoadNote& note) {
    const QString list = QFileInfo(DeviceRegistry::instance().filePath()).fileName();
    if (note.kind == DeviceRegistry::LoadNote::KeptAside)
        return u8("设备列表%1有无法读取的内容，原文件已另存为%2！")
            .arg(list, QFileInfo(note.kept).fileName());
    return u8("设备列表%1有无法读取的内容，原文件将保持不变，修改不会保存！").arg(list);
}

}  // namespace

QtTessaly::QtTessaly(QWidget* parent) : QMainWindow(parent) {
    ui.setupUi(this);
    setWindowTitle(u8("翠岭配置工具"));
    setWindowIcon(QIcon(QStringLiteral(":/icon/icon.ico")));
    ui.versionLabel->setText(buildStamp());

    for (int i = 0; i < kTypeCount; ++i) ui.singleComboBox->addItem(u8(kTypeNames[i]), kFirstType + i);

    pages.forEach([this](QWidget& page) { ui.stackedWidget->addWidget(&page); });
    ui.stackedWidget->setCurrentIndex(PageIndex<NetworkConfigForm>);

    searchModel.setHorizontalHeaderLabels({u8("设备序列号"), u8("设备名称"), u8("设备类型"), u8("Ip地址"),
                                           u8("端口"), u8("mac地址"), u8("子网掩码"), u8("网关"),
                                           u8("激活状态"), u8("版本号"), u8("客户端1"), u8("客户端2"),
                                           u8("硬件版本信息")});
    ui.deviceTableView->setModel(&searchModel);
    ui.deviceTableView->setSortingEnabled(true);
    ui.deviceTableView->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.deviceTableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.deviceTableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.deviceTableView->horizontalScrollBar()->setStyleSheet(QStringLiteral("background: #d0d0d0;"));
    ui.deviceTableView->verticalScrollBar()->setStyleSheet(QStringLiteral("background: #d0d0d0;"));

    ui.deviceTreeView->setHeaderHidden(true);
    ui.deviceTreeView->setModel(&treeModel);
    const QIcon typeIcon(QStringLiteral(":/icon/device.svg"));
    for (int i = 0; i < kTypeCount; ++i) {
        auto* root = new QStandardItem(typeIcon, u8(kTypeNames[i]));
        root->setEditable(false);
        treeModel.appendRow(root);
    }

    QPushButton* const buttons[kFunctionButtonCount] = {ui.subButton_1, ui.subButton_2, ui.subButton_3,
                                                        ui.subButton_4, ui.subButton_5, ui.subButton_6,
                                                        ui.subButton_7};
    for (int i = 0; i < kFunctionButtonCount; ++i) {
        buttons[i]->setText(u8(kSpareButton.text));
        buttons[i]->setEnabled(false);
        connect(buttons[i], &QPushButton::clicked, this, [this, i] { onFunctionButton(i); });
    }

    ui.deviceTreeView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui.deviceTreeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &QtTessaly::onDeviceSelected);
    connect(ui.deviceTreeView, &QWidget::customContextMenuRequested, this, &QtTessaly::showDeviceMenu);

    DeviceRegistry::LoadNote note;
    for (Device& device : DeviceRegistry::instance().load(&note)) appendRow(std::move(device), true);
    // Said once the window is up, over it.
    if (note.kind != DeviceRegistry::LoadNote::Whole)
        QTimer::singleShot(0, this, [this, note] { kit::warn(this, listNoteText(note)); });

    // A close asked for while a call waits on a device comes once the call has returned.
    kit::closeAfterWaits(this);
    DeviceRegistry::setWaiter([](const std::function<void()>& call) { kit::wait(nullptr, call); });
}

QtTessaly::~QtTessaly() {
    // Nothing the SDK still holds may reach the window from here on.
    relay_.cut();
    ui.deviceTreeView->selectionModel()->disconnect(this);
    DeviceRegistry::setWaiter(nullptr);
    TSL_NET_DEV_Cleanup();
    DeviceRegistry::instance().writeAtExit();
}

void QtTessaly::fillSearchModel(QStandardItemModel& model, const Np_SearchInfo* list, int count) {
    const size_t n = kit::clampCount(count, kSearchCapacity);
    for (size_t i = 0; i < n; ++i) {
        const Np_SearchInfo& r = list[i];
        const uint32_t type = r.deviceType;
        const uint32_t port = r.port;
        auto* serial = new QStandardItem(kit::text(r.serialNumber));
        serial->setData(type, kTypeRole);
        const QList<QStandardItem*> row{serial,
                                        new QStandardItem(kit::text(r.deviceName)),
                                        new QStandardItem(kit::text(r.deviceTypeName)),
                                        new QStandardItem(kit::text(r.ip)),
                                        new QStandardItem(QString::number(port)),
                                        new QStandardItem(kit::text(r.mac)),
                                        new QStandardItem(kit::text(r.subnetMask)),
                                        new QStandardItem(kit::text(r.gateway)),
                                        new QStandardItem(u8(r.activated ? "已激活" : "未激活")),
                                        new QStandardItem(kit::text(r.firmwareVersion)),
                                        new QStandardItem(kit::text(r.client1)),
                                        new QStandardItem(kit::text(r.client2)),
                                        new QStandardItem(kit::text(r.hardwareVersion))};
        model.appendRow(row);
    }
}

void QtTessaly::search(int type) {
    searchModel.removeRows(0, searchModel.rowCount());
    // Zeroed, so that a search that fills less than it claims shows no stale bytes.
    std::vector<Np_SearchInfo> list(kSearchCapacity);
    std::memset(list.data(), 0, list.size() * sizeof(Np_SearchInfo));
    int count = 0;
    kit::wait(this, [&] { TSL_NET_DEV_Search(list.data(), &count, type); });
    fillSearchModel(searchModel, list.data(), count);
    ui.deviceTableView->resizeColumnsToContents();  // MAC and serial numbers read whole
}

void QtTessaly::on_devScanButton_clicked() {
    search(0);
}

void QtTessaly::on_singleScanButton_clicked() {
    search(ui.singleComboBox->currentData().toInt());
}

void QtTessaly::on_devAddButton_clicked() {
    const QModelIndex current = ui.deviceTableView->selectionModel()->currentIndex();
    if (!current.isValid()) return;
    const int row = current.row();
    Device device;
    device.type = searchModel.item(row, 0)->data(kTypeRole).toInt();
    device.name = searchModel.item(row, 3)->text().toStdString();
    device.ip = device.name;
    device.port = searchModel.item(row, 4)->text().toInt();

    DeviceAddDialog dialog(false, device, this);
    if (searchModel.item(row, 8)->text() == u8("未激活")) {
        dialog.setActivateMode();
        connect(&dialog, &DeviceAddDialog::AddDevice, this, &QtTessaly::addAndActivateDevice);
    } else {
        connect(&dialog, &DeviceAddDialog::AddDevice, this, &QtTessaly::addDevice);
    }
    dialog.exec();
}

void QtTessaly::showPage(int index) {
    if (ui.stackedWidget->currentIndex() != index) ui.stackedWidget->setCurrentIndex(index);
}

void QtTessaly::on_networkButton_clicked() {
    showPage(PageIndex<NetworkConfigForm>);
}

void QtTessaly::on_planButton_clicked() {
    showPage(PageIndex<PlanConfigForm>);
}

void QtTessaly::on_eventButton_clicked() {
    showPage(PageIndex<EventSubscribeForm>);
}

void QtTessaly::on_logButton_clicked() {
    showPage(PageIndex<LogQueryForm>);
}

void QtTessaly::onDeviceSelected() {
    // The selection, not the current index: a programmatic selection moves
    // the current index only after announcing the new selection.
    const QModelIndexList selected = ui.deviceTreeView->selectionModel()->selectedIndexes();
    const QModelIndex index = selected.isEmpty() ? ui.deviceTreeView->currentIndex() : selected.first();
    if (!index.isValid() || !index.parent().isValid()) return;
    const QString name = index.data().toString();
    DeviceRegistry::instance().setCurrent(name.toStdString());
    ui.deviceLabel->setText(name);

    buttonType_ = kFirstType + index.parent().row();
    const FunctionButtons& table = functionButtonsFor(buttonType_);
    QPushButton* const buttons[kFunctionButtonCount] = {ui.subButton_1, ui.subButton_2, ui.subButton_3,
                                                        ui.subButton_4, ui.subButton_5, ui.subButton_6,
                                                        ui.subButton_7};
    for (int i = 0; i < kFunctionButtonCount; ++i) {
        buttons[i]->setText(u8(table[i].text));
        buttons[i]->setEnabled(table[i].page >= 0);
    }
}

void QtTessaly::onFunctionButton(int button) {
    const FunctionButton& b = functionButtonsFor(buttonType_)[button];
    if (b.page >= 0) showPage(b.page);
}

std::unique_ptr<QMenu> QtTessaly::deviceMenu(const QPoint& pos) {
    const QModelIndex index = ui.deviceTreeView->indexAt(pos);
    if (!index.isValid() || !index.parent().isValid()) return nullptr;
    const std::string name = index.data().toString().toStdString();
    Device copy;
    copy.name = name;
    DeviceRegistry::instance().get(copy);
    const QPersistentModelIndex row(index);

    auto menu = std::make_unique<QMenu>(this);
    auto add = [this](QMenu* m, const char* text, std::function<void()> fn) {
        connect(m->addAction(u8(text)), &QAction::triggered, this, std::move(fn));
    };
    add(menu.get(), "登录", [=] { loginDevice(name, copy); });
    add(menu.get(), "注销", [=] { logoutDevice(name); });
    QMenu* system = menu->addMenu(u8("系统配置"));
    add(system, "重启", [=] { rebootDevice(copy); });
    add(system, "密码修改", [this] {
        PasswordModifyDialog dialog(this);
        dialog.exec();
    });
    add(system, "恢复出厂", [=] { restoreDevice(copy); });
    add(system, "格式化", [=] { formatDevice(copy); });
    add(system, "固件升级", [] {
        FirmwareUpdateDialog dialog(nullptr);
        dialog.exec();
    });
    add(system, "配置导入导出", [] {
        ConfigBackupDialog dialog(nullptr);
        dialog.exec();
    });
    add(menu.get(), "删除", [=] { deleteDevice(name, row); });
    add(menu.get(), "属性", [=] { showDeviceProperties(name); });
    return menu;
}

void QtTessaly::showDeviceMenu(const QPoint& pos) {
    if (std::unique_ptr<QMenu> menu = deviceMenu(pos)) menu->exec(QCursor::pos());
}

QStandardItem* QtTessaly::newRow(const std::string& name) const {
    auto* item = new QStandardItem(QString::fromStdString(name));
    item->setEditable(false);
    setOnline(item, false);
    return item;
}

void QtTessaly::setOnline(QStandardItem* row, bool online) const {
    if (!row) return;
    row->setIcon(online ? onlineIcon_ : offlineIcon_);
}

QStandardItem* QtTessaly::deviceRow(const std::string& name) const {
    const QString text = QString::fromStdString(name);
    for (int t = 0; t < kTypeCount; ++t) {
        QStandardItem* root = treeModel.item(t);
        for (int r = 0; r < root->rowCount(); ++r)
            if (root->child(r)->text() == text) return root->child(r);
    }
    return nullptr;
}

// False when the registry refused the record (its name is taken); a record
// of the saved list is refused without a word.
bool QtTessaly::appendRow(Device device, bool fromList) {
    QStandardItem* row = knownType(device.type) ? newRow(device.name) : nullptr;
    device.item = row;
    DeviceRegistry& registry = DeviceRegistry::instance();
    if ((fromList ? registry.addLoaded(device) : registry.add(device)) != 0) {
        delete row;
        if (!fromList) kit::warn(this, u8("请勿重复添加设备！"));
        return false;
    }
    if (row) treeModel.item(device.type - kFirstType)->appendRow(row);
    return true;
}

// The one place a handle enters the registry. A device lost right after its
// login reply has its handle freed by the SDK before the watch is in, and the
// next login is given the same number: kept, it would send this device's
// commands to that one.
int QtTessaly::adoptLogin(const std::string& name, int handle, const Np_LoginInfo& info) {
    const unsigned login = ++loginCount_;
    const CallbackRelay::Handle link = relay_.handle();
    // Runs on an SDK worker (or inside a reboot on this thread): it touches
    // nothing and hands the window the device's name, never a row pointer.
    const int watched = TSL_NET_DEV_SetDisconnectCallback(
        handle, std::function<void(int)>([this, link, name, login](int) {
            link.post([this, name, login] { onDeviceDisconnected(name, login); });
        }));
    if (watched != 0) {
        dropDevice(name);
        return watched;
    }
    DeviceRegistry& registry = DeviceRegistry::instance();
    logins_[name] = login;
    registry.setHandle(name, handle);
    registry.setInfoBlock(name, info);
    setOnline(deviceRow(name), true);
    return 0;
}

void QtTessaly::dropDevice(const std::string& name) {
    logins_.erase(name);
    DeviceRegistry::instance().setHandle(name, 0);
    setOnline(deviceRow(name), false);
}

void QtTessaly::onDeviceDisconnected(const std::string& name, unsigned login) {
    auto it = logins_.find(name);
    if (it == logins_.end() || it->second != login) return;  // dropped, deleted or logged in anew since
    dropDevice(name);
}

void QtTessaly::loginDevice(const std::string& name, const Device& copy) {
    if (DeviceRegistry::instance().handle(name) > 0) {
        kit::warn(this, u8("请不要重复登陆"));
        return;
    }
    Np_LoginInfo info{};
    const int handle = login(copy, info);
    if (handle <= 0) {
        // 0: no handle was free, the device is not logged in.
        kit::showFailure(this, handle, kit::FailText::Write);
        return;
    }
    if (const int watched = adoptLogin(name, handle, info); watched != 0) {
        kit::showFailure(this, watched, kit::FailText::Write);
        return;
    }
    kit::showSuccess(this);
}

// Logout, reboot, restore and format take the device's handle of now, not the
// one of the menu's copy: a disconnect may have freed it for another device.
void QtTessaly::logoutDevice(const std::string& name) {
    const int result = call(TSL_NET_DEV_Logout, std::max(DeviceRegistry::instance().handle(name), 0));
    dropDevice(name);
    showResult(this, result);
}

void QtTessaly::removingCall(const std::string& name, int (*operation)(int handle)) {
    const int result = call(operation, DeviceRegistry::instance().handle(name));
    // Success ends the login in the SDK; -1 says it holds no such handle.
    // Either way the number may go to the next login.
    if (result == 0 || result == ERR_INVALID_HANDLE) dropDevice(name);
    showResult(this, result);
}

void QtTessaly::rebootDevice(const Device& copy) {
    removingCall(copy.name, TSL_NET_DEV_Reboot);
}

void QtTessaly::restoreDevice(const Device& copy) {
    removingCall(copy.name, TSL_NET_DEV_Restore);
}

void QtTessaly::formatDevice(const Device& copy) {
    removingCall(copy.name, TSL_NET_DEV_Format);
}

void QtTessaly::deleteDevice(const std::string& name, const QPersistentModelIndex& row) {
    // The logout the removal makes waits on the device: made here, through
    // the runner, the registry finds the device logged out already.
    DeviceRegistry& registry = DeviceRegistry::instance();
    if (const int handle = registry.handle(name); handle > 0) {
        call(TSL_NET_DEV_Logout, handle);
        dropDevice(name);
    }
    const int result = registry.remove(name);
    if (result < 0) {
        kit::showFailure(this, result, kit::FailText::Write);
        return;
    }
    logins_.erase(name);
    if (row.isValid()) treeModel.removeRow(row.row(), row.parent());
    if (kit::listSaved(this)) kit::showSuccess(this);
}

void QtTessaly::showDeviceProperties(const std::string& name) {
    Device device;
    device.name = name;
    if (DeviceRegistry::instance().get(device) != 0) return;
    DeviceAddDialog dialog(true, device, this);
    connect(&dialog, &DeviceAddDialog::AddDevice, this, &QtTessaly::updateDevice);
    dialog.exec();
}

void QtTessaly::addDevice(Device device) {
    if (appendRow(std::move(device), false)) kit::listSaved(this);
}

void QtTessaly::addAndActivateDevice(Device device) {
    const std::string name = device.name;
    if (!appendRow(device, false)) return;
    Np_LoginInfo info{};
    const int handle = login(device, info);
    // The device is in the list from here on, whatever the device answers;
    // whether the list took it is said last.
    if (handle <= 0) {
        kit::warn(this, codeText("登录失败！ret = %1,%2", handle));
        kit::listSaved(this);
        return;
    }
    // A device lost before its watch was in did not stay logged in either.
    if (const int watched = adoptLogin(name, handle, info); watched != 0) {
        kit::warn(this, codeText("登录失败！ret = %1,%2", watched));
        kit::listSaved(this);
        return;
    }
    DeviceRegistry& registry = DeviceRegistry::instance();
    QStandardItem* row = deviceRow(name);
    // Selecting the row makes it current and names it in the label and the
    // function buttons; a device without a row is made current directly.
    if (row)
        ui.deviceTreeView->setCurrentIndex(row->index());
    else
        registry.setCurrent(name);

    const int current = registry.currentHandle();
    int result = 0;
    kit::wait(this, [&] { result = TSL_NET_DEV_SetPassword(current, device.password.c_str()); });
    if (result == 0) {
        if (kit::listSaved(this)) kit::showSuccess(this);
        return;
    }
    kit::warn(this, codeText("激活失败！ret = %1,%2", result));
    if (result < 0) kit::showFailure(this, result, kit::FailText::Write);
    kit::listSaved(this);
}

int QtTessaly::login(const Device& device, Np_LoginInfo& info) {
    int result = 0;
    kit::wait(this, [&] {
        result = TSL_NET_DEV_Login(device.type, device.ip.c_str(), device.port, device.username.c_str(),
                                   device.password.c_str(), kLoginTimeoutMs, &info);
    });
    return result;
}

int QtTessaly::call(int (*operation)(int handle), int handle) {
    int result = 0;
    kit::wait(this, [&] { result = operation(handle); });
    return result;
}

void QtTessaly::updateDevice(Device device) {
    if (DeviceRegistry::instance().update(device) == 0) kit::listSaved(this);
}
