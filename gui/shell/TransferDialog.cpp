#include "TransferDialog.h"

#include <QCloseEvent>

TransferDialog::TransferDialog(QWidget* parent) : QDialog(parent) {}

TransferDialog::~TransferDialog() {
    relay_.cut();
}

std::function<void(int, int)> TransferDialog::progressCallback(std::function<void(int)> deliver) {
    const CallbackRelay::Handle link = relay_.handle();
    return [link, deliver = std::move(deliver)](int, int value) {
        link.post([deliver, value] { deliver(value); });
    };
}

void TransferDialog::closeEvent(QCloseEvent* event) {
    // The SDK keeps calling back until its last value; only the stop button ends it early.
    if (running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TransferDialog::reject() {
    if (!running) QDialog::reject();
}
