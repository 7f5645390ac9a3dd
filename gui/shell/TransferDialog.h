// What the two file-transfer dialogs share: the SDK's progress callback goes
// through a relay the dialog cuts when it goes, and while a transfer runs the
// dialog cannot be closed (close button, Escape) except through its stop.
#pragma once

#include <QDialog>

#include <functional>

#include "CallbackRelay.h"

class TransferDialog : public QDialog {
    Q_OBJECT

  protected:
    explicit TransferDialog(QWidget* parent);
    ~TransferDialog() override;

    // The callback to hand the SDK: each value reaches `deliver` on the GUI
    // thread, and nothing does once the dialog is gone.
    std::function<void(int, int)> progressCallback(std::function<void(int)> deliver);

    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    bool running = false;
    int handle = 0;  // of the device the running transfer talks to

  private:
    CallbackRelay relay_{this};
};
