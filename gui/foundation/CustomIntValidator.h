// An integer validator that refuses a value outside its range while it is
// typed, where QIntValidator would call it Intermediate.
#pragma once

#include <QIntValidator>

class CustomIntValidator : public QIntValidator {
    Q_OBJECT
  public:
    explicit CustomIntValidator(QObject* parent = nullptr);
    CustomIntValidator(int bottom, int top, QObject* parent = nullptr);

    State validate(QString& text, int& pos) const override;
};
