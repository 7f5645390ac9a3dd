#include "PasswordModifyDialog.h"

#include "DeviceRegistry.h"
#include "PageKit.h"
#include "PasswordRules.h"
#include "TslDev.h"

PasswordModifyDialog::PasswordModifyDialog(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    applyPasswordRules(ui.passwordEdit);
    applyPasswordRules(ui.rePasswordEdit);
}

PasswordModifyDialog::~PasswordModifyDialog() = default;

void PasswordModifyDialog::on_setButton_clicked() {
    const QString password = ui.passwordEdit->text();
    if (password != ui.rePasswordEdit->text()) {
        kit::warn(this, QString::fromUtf8("两次密码不一致！"));
        return;
    }
    DeviceRegistry& registry = DeviceRegistry::instance();
    const QByteArray text = password.toUtf8();
    const int result = TSL_NET_DEV_SetPassword(registry.currentHandle(), text.constData());
    if (result < 0) {
        kit::showFailure(this, result, kit::FailText::Write);
    } else {
        // The saved list must log in with what the device now expects.
        Device device;
        device.name = registry.currentName();
        if (registry.get(device) == 0) {
            device.password = text.toStdString();
            registry.update(device);
        }
        kit::showSuccess(this);
    }
    close();
}

void PasswordModifyDialog::on_cancelButton_clicked() {
    close();
}

void PasswordModifyDialog::on_passwordCheckBox_stateChanged(int state) {
    showPassword(ui.passwordEdit, state == Qt::Checked);
    showPassword(ui.rePasswordEdit, state == Qt::Checked);
}
