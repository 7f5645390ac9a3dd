#include "PasswordModifyDialog.h"

#include "DeviceRegistry.h"
#include "PageKit.h"
#include "PageKitRunner.h"
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
    const std::string device = registry.currentName();
    const int handle = registry.currentHandle();
    int result = 0;
    // The saved password changes for the device the call went to.
    if (!kit::wait(this, [&] { result = TSL_NET_DEV_SetPassword(handle, text.constData()); })) return;
    if (result < 0)
        kit::showFailure(this, result, kit::FailText::Write);
    else
        kit::keepNewPassword(this, device, text.toStdString());
    close();
}

void PasswordModifyDialog::on_cancelButton_clicked() {
    close();
}

void PasswordModifyDialog::on_passwordCheckBox_stateChanged(int state) {
    showPassword(ui.passwordEdit, state == Qt::Checked);
    showPassword(ui.rePasswordEdit, state == Qt::Checked);
}
