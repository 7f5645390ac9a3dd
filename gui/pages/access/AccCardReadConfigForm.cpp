#include "AccCardReadConfigForm.h"

#include "PageKit.h"
#include "PageKitMessages.h"

namespace {
constexpr int kFirstAddress = 1;
constexpr int kLastAddress = 8;
constexpr size_t kSerialReply = 32;

// An address text is one ASCII digit from 1 to 8; 0 when it is none.
int addressOf(const QString& text) {
    if (text.size() != 1) return 0;
    const char16_t c = text.at(0).unicode();
    return c >= u'0' + kFirstAddress && c <= u'0' + kLastAddress ? c - u'0' : 0;
}

// The reader's serial number at `address`: the export's result and the text.
int readSerial(int handle, int address, QString& serial) {
    Np_AccReaderId query{};
    query.address = static_cast<uint8_t>(address);
    char reply[kSerialReply] = {};
    const int result = TSL_NET_Acc_GetReaderId(handle, query, reply);
    if (result == 0) serial = kit::text(reply, sizeof reply);
    return result;
}
}  // namespace

AccCardReadConfigForm::AccCardReadConfigForm(QWidget* parent) : QWidget(parent) {
    setObjectName("AccCardReadConfigForm");
    ui.setupUi(this);
    ui.searchAddrEdit->setText("1");
    ui.searchAddrEdit->setReadOnly(true);
    for (QLineEdit* e : {ui.searchAddrEdit, ui.readSerialNoEdit, ui.modifyAddrEdit})
        e->setAlignment(Qt::AlignCenter);
}

AccCardReadConfigForm::~AccCardReadConfigForm() = default;

void AccCardReadConfigForm::on_searchAddrButton_clicked() {
    // One wait for the whole search: a bus with no reader costs up to eight
    // request time-outs, and the window must keep drawing through them.
    int found = 0;
    QString serial;
    kit::runOwn(
        this, "搜索地址失败！ret = %1, %2",
        [&](int h) {
            int result = 0;
            for (int address = kFirstAddress; address <= kLastAddress; ++address) {
                result = readSerial(h, address, serial);
                if (result == 0) {
                    found = address;
                    break;
                }
            }
            return result;
        },
        [&] {
            ui.searchAddrEdit->setText(QString::number(found));
            ui.readSerialNoEdit->setText(serial);
        });
}

void AccCardReadConfigForm::on_readSerialNoButton_clicked() {
    const QString text = ui.searchAddrEdit->text();
    if (text.isEmpty()) return kit::warn(this, QString::fromUtf8("地址不能为空"));
    const int address = addressOf(text);
    if (address == 0) return kit::warn(this, QString::fromUtf8("地址不合法"));
    QString serial;
    kit::runOwn(
        this, "获取SN号失败！ret = %1, %2", [&](int h) { return readSerial(h, address, serial); },
        [&] { ui.readSerialNoEdit->setText(serial); });
}

void AccCardReadConfigForm::on_modifyAddrButton_clicked() {
    const QString text = ui.modifyAddrEdit->text();
    if (text.isEmpty()) return kit::warn(this, QString::fromUtf8("修改地址不能为空"));
    const int address = addressOf(text);
    if (address == 0) return kit::warn(this, QString::fromUtf8("修改地址不合法"));
    Np_AccReaderId reader{};
    reader.address = static_cast<uint8_t>(address);
    kit::copyTextFull(reader.serialNo, sizeof reader.serialNo, ui.readSerialNoEdit->text());
    kit::runOwn(
        this, "修改地址失败！ret = %1, %2", [&](int h) { return TSL_NET_Acc_SetReaderId(h, reader); },
        [&] { ui.searchAddrEdit->setText(QString::number(address)); });
}
