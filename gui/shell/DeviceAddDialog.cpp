#include "DeviceAddDialog.h"

#include "DeviceTypes.h"
#include "PasswordRules.h"

DeviceAddDialog::DeviceAddDialog(bool edit, const Device& device, QWidget* parent)
    : QDialog(parent), device_(device) {
    ui.setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    for (int i = 0; i < kTypeCount; ++i)
        ui.devTypeComboBox->addItem(QString::fromUtf8(kTypeNames[i]), kFirstType + i);

    if (edit) {
        setWindowTitle(QString::fromUtf8("设备属性"));
        ui.addButton->setText(QString::fromUtf8("修改"));
        ui.devNameEdit->setReadOnly(true);  // the registry's key
        ui.devTypeComboBox->setEnabled(false);
        ui.usernameEdit->setText(QString::fromStdString(device.username));
    } else {
        setWindowTitle(QString::fromUtf8("设备添加"));
        ui.usernameEdit->setText(QStringLiteral("admin"));
    }
    const int type = ui.devTypeComboBox->findData(device.type);
    if (type >= 0) ui.devTypeComboBox->setCurrentIndex(type);
    ui.devNameEdit->setText(QString::fromStdString(device.name));
    ui.devIpEdit->setText(QString::fromStdString(device.ip));
    ui.devPortEdit->setText(QString::number(device.port == 0 ? 6500 : device.port));
    applyPasswordRules(ui.passwordEdit);
    ui.passwordEdit->setText(QString::fromStdString(device.password));
}

DeviceAddDialog::~DeviceAddDialog() = default;

void DeviceAddDialog::setActivateMode() {
    setWindowTitle(QString::fromUtf8("设备添加并激活"));
    ui.addButton->setText(QString::fromUtf8("添加并激活"));
}

void DeviceAddDialog::on_addButton_clicked() {
    Device d = device_;
    d.name = ui.devNameEdit->text().toStdString();
    d.ip = ui.devIpEdit->text().toStdString();
    d.username = ui.usernameEdit->text().toStdString();
    d.password = ui.passwordEdit->text().toStdString();
    d.port = ui.devPortEdit->text().toInt();
    d.type = ui.devTypeComboBox->currentData().toInt();
    emit AddDevice(d);
    close();
}

void DeviceAddDialog::on_cancelButton_clicked() {
    close();
}

void DeviceAddDialog::on_passwordCheckBox_stateChanged(int state) {
    showPassword(ui.passwordEdit, state == Qt::Checked);
}
