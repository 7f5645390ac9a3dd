#include "ConfigBackupDialog.h"

#include "DeviceRegistry.h"
#include "PageKit.h"
#include "Prompt.h"
#include "TslDev.h"

ConfigBackupDialog::ConfigBackupDialog(QWidget* parent) : TransferDialog(parent) {
    ui.setupUi(this);
    connect(this, &ConfigBackupDialog::update_single, this, &ConfigBackupDialog::update_slot,
            Qt::QueuedConnection);
}

ConfigBackupDialog::~ConfigBackupDialog() {
    if (running) stop();
}

void ConfigBackupDialog::on_cancelButton_clicked() {
    if (running)
        stop();  // the transfer ends through its last callback
    else
        close();
}

void ConfigBackupDialog::on_exportButton_clicked() {
    start(true);
}

void ConfigBackupDialog::on_importButton_clicked() {
    start(false);
}

void ConfigBackupDialog::start(bool exportIt) {
    const QString filter = QStringLiteral("All Files (*)");
    const QString path =
        exportIt
            ? Prompt::current().saveFileName(this, QStringLiteral("Select Export File"), QString(), filter)
            : Prompt::current().openFileName(this, QStringLiteral("Select Import File"), QString(), filter);
    if (path.isEmpty()) return;
    exporting = exportIt;
    handle = DeviceRegistry::instance().currentHandle();
    const QByteArray local = path.toLocal8Bit();
    auto callback = progressCallback([this](int value) { emit update_single(value); });
    const int result = exportIt ? TSL_NET_DEV_ExportConfigFileAsync(handle, local.constData(), callback)
                                : TSL_NET_DEV_ImportConfigFileAsync(handle, local.constData(), callback);
    if (result != 0) {
        kit::showFailure(this, result, kit::FailText::Read);
        return;
    }
    ui.exportButton->setEnabled(false);
    ui.importButton->setEnabled(false);
    ui.cancelButton->setText(QString::fromUtf8(exportIt ? "停止导出" : "停止导入"));
    running = true;
}

void ConfigBackupDialog::stop() {
    if (exporting)
        TSL_NET_DEV_StopExportConfigFile(handle);
    else
        TSL_NET_DEV_StopImportConfigFile(handle);
}

void ConfigBackupDialog::update_slot(int value) {
    if (value > 0) {
        if (exporting) {
            ui.progressBar->setValue(100);
            ui.progressBar->setFormat(QString::fromUtf8("正在导出第%1块数据").arg(value));
        } else {
            const double percent = value / 100.0;
            ui.progressBar->setValue(static_cast<int>(percent));
            ui.progressBar->setFormat(QString::fromUtf8("导入进度：%1%").arg(percent));
        }
        return;
    }
    if (value < 0)
        ui.progressBar->setFormat(
            QString::fromUtf8(exporting ? "导出失败！ret = %1" : "导入失败！ret = %1").arg(value));
    else
        ui.progressBar->setFormat(QString::fromUtf8(exporting ? "导出成功！" : "导入成功！"));
    ui.exportButton->setEnabled(true);
    ui.importButton->setEnabled(true);
    ui.cancelButton->setText(QString::fromUtf8("取消"));
    running = false;
}
