// The rules of every password field: masked with "*", at most 15 characters,
// only ASCII letters, digits and the punctuation the devices accept.
#pragma once

class QLineEdit;

void applyPasswordRules(QLineEdit* edit);
// Clear text when `shown`, masked otherwise.
void showPassword(QLineEdit* edit, bool shown);
