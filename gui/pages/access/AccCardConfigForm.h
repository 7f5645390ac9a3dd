// The page of an access controller's cards and of one card's card groups.
#pragma once

#include <QWidget>

#include "TslAcc.h"
#include "ui_AccCardConfigForm.h"

class AccCardConfigForm : public QWidget {
    Q_OBJECT
  public:
    explicit AccCardConfigForm(QWidget* parent = nullptr);
    ~AccCardConfigForm() override;

  private Q_SLOTS:
    void on_getButton_clicked();
    void on_setButton_clicked();
    void on_modifyButton_clicked();
    void on_deleteButton_clicked();
    void on_clearButton_clicked();
    void on_cgGetButton_clicked();
    void on_cgSetButton_clicked();
    void on_cgDeleteButton_clicked();
    void on_cgClearButton_clicked();
    void on_cardEdit_textEdited(const QString& text);
    void on_cgCardEdit_textEdited(const QString& text);

  private:
    // The card in the widgets; false when a number was refused.
    bool readCard(Np_AccCardInfo& card);
    void writeCard(bool modify);
    bool readGroupRecord(Np_AccCardGroupInfo& info, bool withGroup);

    QLineEdit* doorEdit(int door) const;

    Ui::AccCardConfigFormClass ui;
};
