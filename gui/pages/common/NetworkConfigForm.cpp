#include "NetworkConfigForm.h"

#include <QTimer>

#include "PageKit.h"
#include "Prompt.h"

namespace {
const int kNameBytes = 31;

void showPort(QComboBox* data, QComboBox* stop, QComboBox* parity, QLineEdit* baud,
              const Np_Rs485Port& port) {
    baud->setText(QString::number(kit::load<uint32_t>(KIT_CFIELD(port, baudRate))));
    kit::selectByData(data, kit::load<int32_t>(KIT_CFIELD(port, dataBits)));
    kit::selectByData(stop, kit::load<int32_t>(KIT_CFIELD(port, stopBits)));
    kit::selectByData(parity, kit::load<int32_t>(KIT_CFIELD(port, parity)));
}

void storePort(kit::Fields& f, const QString& name, QComboBox* data, QComboBox* stop, QComboBox* parity,
               QLineEdit* baud, Np_Rs485Port& port) {
    kit::store<uint32_t>(KIT_FIELD(port, baudRate), f.number<uint32_t>(baud, name));
    kit::store<int32_t>(KIT_FIELD(port, dataBits), static_cast<int32_t>(kit::comboData(data)));
    kit::store<int32_t>(KIT_FIELD(port, stopBits), static_cast<int32_t>(kit::comboData(stop)));
    kit::store<int32_t>(KIT_FIELD(port, parity), static_cast<int32_t>(kit::comboData(parity)));
}
}  // namespace

NetworkConfigForm::NetworkConfigForm(QWidget* parent) : QWidget(parent), clock_(new QTimer(this)) {
    clock_->setInterval(1000);
    connect(clock_, &QTimer::timeout, clock_, [this] { showClock(); });
    ui.setupUi(this);
    setObjectName("NetworkConfigForm");
    ui.timeEdit->setDisplayFormat("yyyy-MM-dd HH:mm:ss");
    ui.timeSyncCheckBox->setChecked(true);

    for (QComboBox* box : {ui.upWordlenComboBox, ui.downWordlenComboBox})
        kit::addItems(box, {{"8", 8}, {"9", 9}});
    for (QComboBox* box : {ui.upStopbitComboBox, ui.downStopbitComboBox})
        kit::addItems(box, {{"1", 1}, {"2", 2}});
    for (QComboBox* box : {ui.upParityComboBox, ui.downParityComboBox})
        kit::addCodes(box, {{0, "无校验"}, {1, "偶校验"}, {2, "奇校验"}});
    kit::addItems(ui.netCardComboBox, {{"网卡1", 1}, {"网卡2", 2}});
    ui.modeComboBox->addItem(QString::fromUtf8("手动配置"));
    ui.modeComboBox->addItem(QString::fromUtf8("自动获取"));

    kit::limitTo<int32_t>(ui.portEdit);
    kit::limitTo<int32_t>(ui.ntpPortEdit);
    kit::limitTo<uint32_t>(ui.upBaudrateEdit);
    kit::limitTo<uint32_t>(ui.downBaudrateEdit);
}

NetworkConfigForm::~NetworkConfigForm() {
    delete clock_;
}

void NetworkConfigForm::showClock() {
    ui.timeEdit->setDateTime(QDateTime::fromSecsSinceEpoch(Clock::current().secondsSinceEpoch()));
}

bool NetworkConfigForm::firstCard() const {
    return kit::comboData(ui.netCardComboBox) == 1;
}

// ---------------------------------------------------------------- time

void NetworkConfigForm::on_timeSyncCheckBox_stateChanged(int state) {
    if (state == Qt::Checked) {
        showClock();
        clock_->start();
    } else {
        clock_->stop();
    }
}

void NetworkConfigForm::on_timeGetButton_clicked() {
    Np_Time t{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_DEV_GetTime(h, &t); },
        [&] { ui.timeLabel->setText(QString::fromUtf8("当前时间: ") + kit::timeText(t)); });
}

void NetworkConfigForm::on_timeSetButton_clicked() {
    // A running clock may be up to a tick behind: the computer's time is what it shows.
    if (ui.timeSyncCheckBox->isChecked()) showClock();
    const Np_Time t = kit::toNpTime(ui.timeEdit->dateTime());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_DEV_SetTime(h, t); });
}

// ---------------------------------------------------------------- network

void NetworkConfigForm::on_netGetButton_clicked() {
    Np_DeviceNetworkInfo info{};
    const bool first = firstCard();
    kit::run(
        this, kit::Read,
        [&](int h) {
            return first ? TSL_NET_DEV_GetDeviceNetworkInfo(h, &info)
                         : TSL_NET_DEV_GetDeviceNetworkInfo2(h, &info);
        },
        [&] {
            kit::selectByIndex(ui.modeComboBox, info.mode);
            ui.ipEdit->setText(kit::text(info.ip));
            ui.maskEdit->setText(kit::text(info.mask));
            ui.gatewayEdit->setText(kit::text(info.gateway));
            ui.portEdit->setText(QString::number(kit::load<int32_t>(KIT_FIELD(info, port))));
        });
}

void NetworkConfigForm::on_netSetButton_clicked() {
    Np_DeviceNetworkInfo info{};
    kit::Fields f(this);
    kit::store<int32_t>(KIT_FIELD(info, port), f.number<int32_t>(ui.portEdit, QString::fromUtf8("端口")));
    if (!f.ok()) return;
    info.mode = static_cast<uint8_t>(kit::comboIndex(ui.modeComboBox));
    kit::copyText(info.ip, ui.ipEdit->text());
    kit::copyText(info.mask, ui.maskEdit->text());
    kit::copyText(info.gateway, ui.gatewayEdit->text());
    const bool first = firstCard();
    kit::run(this, kit::Write, [&](int h) {
        return first ? TSL_NET_DEV_SetDeviceNetworkInfo(h, info) : TSL_NET_DEV_SetDeviceNetworkInfo2(h, info);
    });
}

// ---------------------------------------------------------------- NTP

void NetworkConfigForm::on_ntpGetButton_clicked() {
    // A failed read shows nothing of the zeroed record: a following set
    // must write only what the device reported or the user typed.
    Np_NtpInfo info{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_DEV_GetNtpInfo(h, &info); },
        [&] {
            kit::showFlag(ui.ntpEnableCheckBox, info.enable);
            ui.ntpIpEdit->setText(kit::text(info.serverIp));
            ui.ntpPortEdit->setText(QString::number(kit::load<int32_t>(KIT_FIELD(info, serverPort))));
        });
}

void NetworkConfigForm::on_ntpSetButton_clicked() {
    Np_NtpInfo info{};
    kit::Fields f(this);
    kit::store<int32_t>(KIT_FIELD(info, serverPort),
                        f.number<int32_t>(ui.ntpPortEdit, QString::fromUtf8("ntp服务端口")));
    if (!f.ok()) return;
    kit::copyText(info.serverIp, ui.ntpIpEdit->text());
    info.enable = kit::flag(ui.ntpEnableCheckBox);
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_DEV_SetNtpInfo(h, info); });
}

// ---------------------------------------------------------------- RS485

void NetworkConfigForm::on_rs485GetButton_clicked() {
    Np_DeviceRs485Info info{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_DEV_GetDeviceRs485Info(h, &info); },
        [&] {
            showPort(ui.upWordlenComboBox, ui.upStopbitComboBox, ui.upParityComboBox, ui.upBaudrateEdit,
                     info.upstream);
            showPort(ui.downWordlenComboBox, ui.downStopbitComboBox, ui.downParityComboBox,
                     ui.downBaudrateEdit, info.downstream);
        });
}

void NetworkConfigForm::on_rs485SetButton_clicked() {
    Np_DeviceRs485Info info{};
    kit::Fields f(this);
    storePort(f, QString::fromUtf8("485上行波特率"), ui.upWordlenComboBox, ui.upStopbitComboBox,
              ui.upParityComboBox, ui.upBaudrateEdit, info.upstream);
    storePort(f, QString::fromUtf8("485下行波特率"), ui.downWordlenComboBox, ui.downStopbitComboBox,
              ui.downParityComboBox, ui.downBaudrateEdit, info.downstream);
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_DEV_SetDeviceRs485Info(h, info); });
}

// ---------------------------------------------------------------- base

void NetworkConfigForm::on_baseGetButton_clicked() {
    Np_DeviceInfo info{};
    kit::run(
        this, kit::Read, [&](int h) { return TSL_NET_DEV_GetDeviceInfo(h, &info); },
        [&] {
            ui.serialEdit->setText(kit::text(info.serialNo));
            ui.nameEdit->setText(kit::text(info.deviceName));
            ui.modelEdit->setText(kit::text(info.deviceModel));
            ui.macEdit->setText(kit::text(info.mac));
            ui.protoEdit->setText(kit::text(info.protocolVersion));
            ui.versionEdit->setText(kit::text(info.firmwareVersion));
            ui.hardwareEdit->setText(kit::text(info.hardwareVersion));
        });
}

void NetworkConfigForm::on_baseSetButton_clicked() {
    Np_DeviceNameInfo info{};
    kit::copyText(info.name, ui.nameEdit->text());
    kit::copyText(info.model, ui.modelEdit->text());
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_DEV_SetDeviceNameInfo(h, info); });
}

void NetworkConfigForm::on_nameEdit_textEdited(const QString&) {
    kit::cutEdit(ui.nameEdit, kNameBytes);
}

void NetworkConfigForm::on_modelEdit_textEdited(const QString&) {
    kit::cutEdit(ui.modelEdit, kNameBytes);
}
