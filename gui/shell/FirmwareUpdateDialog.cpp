#include "FirmwareUpdateDialog.h"

#include <QFileInfo>

#include "DeviceRegistry.h"
#include "PageKit.h"
#include "Prompt.h"
#include "TslDev.h"

namespace {
constexpr int kNoPermission = -1030;
}

FirmwareUpdateDialog::FirmwareUpdateDialog(QWidget* parent) : TransferDialog(parent) {
    ui.setupUi(this);
    setWindowFlags(Qt::WindowTitleHint);
    ui.progressBar->setFormat(QString::fromUtf8("等待操作"));
    connect(this, &FirmwareUpdateDialog::update_single, this, &FirmwareUpdateDialog::update_slot,
            Qt::QueuedConnection);
}

FirmwareUpdateDialog::~FirmwareUpdateDialog() {
    if (running) TSL_NET_DEV_StopUpgrade(handle);
}

void FirmwareUpdateDialog::on_cancelButton_clicked() {
    if (running)
        TSL_NET_DEV_StopUpgrade(handle);  // ends with -10 through the callback
    else
        close();
}

void FirmwareUpdateDialog::on_fileButton_clicked() {
    const QString path = Prompt::current().openFileName(this, QStringLiteral("Select Upgrade File"),
                                                        QString(), QStringLiteral("All Files (*)"));
    if (path.isEmpty() || QFileInfo(path).size() <= 0) return;
    filePath = path;
    ui.fileEdit->setText(path);
}

void FirmwareUpdateDialog::on_updateButton_clicked() {
    handle = DeviceRegistry::instance().currentHandle();
    const int result =
        TSL_NET_DEV_StartUpgradeAsync(handle, filePath.toLocal8Bit().constData(),
                                      progressCallback([this](int value) { emit update_single(value); }));
    if (result != 0) {
        kit::showFailure(this, result, kit::FailText::Read);
        return;
    }
    ui.updateButton->setEnabled(false);
    ui.cancelButton->setText(QString::fromUtf8("打断升级"));
    running = true;
}

void FirmwareUpdateDialog::update_slot(int value) {
    if (value > 0) {
        const double percent = value / 100.0;
        ui.progressBar->setValue(static_cast<int>(percent));
        ui.progressBar->setFormat(QStringLiteral("%1%").arg(percent));
        return;
    }
    if (value < 0)
        ui.progressBar->setFormat(
            QString::fromUtf8(value == kNoPermission ? "升级失败！ret = %1，无权限！" : "升级失败！ret = %1")
                .arg(value));
    else
        ui.progressBar->setFormat(QString::fromUtf8("升级成功！"));
    ui.updateButton->setEnabled(true);
    ui.cancelButton->setText(QString::fromUtf8("取消"));
    running = false;
}
