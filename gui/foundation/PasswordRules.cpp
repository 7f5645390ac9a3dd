#include "PasswordRules.h"

#include <QLineEdit>
#include <QRegExp>
#include <QRegExpValidator>

void applyPasswordRules(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    edit->setMaxLength(15);
    const QRegExp allowed(QStringLiteral(R"re([A-Za-z0-9!@#$%^&*()_+{}|:"<>?`\-=[\];',./~]+)re"),
                          Qt::CaseSensitive);
    edit->setValidator(new QRegExpValidator(allowed, edit));
}

void showPassword(QLineEdit* edit, bool shown) {
    edit->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
}
