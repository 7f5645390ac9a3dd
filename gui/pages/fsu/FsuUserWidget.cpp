#include "FsuUserWidget.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "PageKit.h"

namespace {
constexpr int32_t kConfigure = 1;
constexpr int32_t kUpgrade = 2;

QCheckBox* checkBox(const char* name, const char* text, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLineEdit* lineEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(15);
    return edit;
}
}  // namespace

FsuUserWidget::FsuUserWidget(QWidget* parent)
    : QWidget(parent),
      usernameEdit_(lineEdit("usernameEdit", this)),
      passwordEdit_(lineEdit("passwordEdit", this)),
      validCheckBox_(checkBox("validCheckBox", "启用", this)),
      passwordCheckBox_(checkBox("passwordCheckBox", "明文", this)),
      configCheckBox_(checkBox("configCheckBox", "配置", this)),
      updateCheckBox_(checkBox("updateCheckBox", "升级", this)) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QString::fromUtf8("用户名"), this), 0, 0);
    grid->addWidget(usernameEdit_, 0, 1);
    grid->addWidget(validCheckBox_, 0, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("用户权限"), this), 0, 3);
    grid->addWidget(configCheckBox_, 0, 4);
    grid->addWidget(new QLabel(QString::fromUtf8("密码"), this), 1, 0);
    auto* password = new QHBoxLayout;
    password->addWidget(passwordEdit_);
    password->addWidget(passwordCheckBox_);
    grid->addLayout(password, 1, 1, 1, 2);
    grid->addWidget(updateCheckBox_, 1, 4);
    grid->setRowStretch(2, 1);

    usernameEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9]+")), usernameEdit_));
    passwordEdit_->setEchoMode(QLineEdit::Password);
    passwordEdit_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    passwordEdit_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"([A-Za-z0-9!@#$%^&*()_+{}|:"<>?`\-=[\];',./~]+)")),
        passwordEdit_));

    QMetaObject::connectSlotsByName(this);
}

FsuUserWidget::~FsuUserWidget() = default;

void FsuUserWidget::on_passwordCheckBox_stateChanged(int state) {
    passwordEdit_->setEchoMode(state == Qt::Checked ? QLineEdit::Normal : QLineEdit::Password);
}

void FsuUserWidget::setUserData(const Np_FsuUserData& user) {
    usernameEdit_->setText(kit::text(user.name));
    passwordEdit_->setText(kit::text(user.password));
    kit::showFlag(validCheckBox_, user.valid);
    const int32_t permissions = kit::load<int32_t>(KIT_CFIELD(user, permissions));
    configCheckBox_->setChecked(permissions & kConfigure);
    updateCheckBox_->setChecked(permissions & kUpgrade);
}

void FsuUserWidget::getUserData(Np_FsuUserData& user) const {
    kit::copyText(user.name, usernameEdit_->text());
    kit::copyText(user.password, passwordEdit_->text());
    user.valid = kit::flag(validCheckBox_);
    const int32_t permissions =
        (configCheckBox_->isChecked() ? kConfigure : 0) | (updateCheckBox_->isChecked() ? kUpgrade : 0);
    kit::store<int32_t>(KIT_FIELD(user, permissions), permissions);
}
