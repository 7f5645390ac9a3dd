#include "FsuOtherForm.h"

#include <QSignalBlocker>

#include <vector>

#include "FsuStructFile.h"
#include "PageKit.h"
#include "PageKitFiles.h"
#include "TslFsu.h"

namespace {

constexpr uint8_t kSiren = 17;
constexpr size_t kDownloadBytes = 10240;
constexpr int kFileTooLong = -6;
const char* const kAllFiles = "All Files (*)";
const char* const kCsvFiles = "CSV Files (*.csv)";

}  // namespace

FsuOtherForm::FsuOtherForm(QWidget* parent) : QWidget(parent) {
    setObjectName("FsuOtherForm");
    ui.setupUi(this);
    for (int n = 1; n <= 16; ++n) ui.alarmControlChannelComboBox->addItem(QString::number(n), n);
    for (QComboBox* box : {ui.alarmControlCmdComboBox, ui.alarm17ControlCmdComboBox})
        kit::addCodes(box, {{1, "常闭"}, {2, "常开"}, {3, "临时闭合"}, {4, "恢复"}});
    ui.mapSpinBox->setRange(1, 255);
    ui.mapDataSpinBox->setRange(0, 0);
}

FsuOtherForm::~FsuOtherForm() = default;

// ---------------------------------------------------------------- outputs

void FsuOtherForm::control(uint8_t output, const QComboBox* command) {
    Np_FsuIOControl rec{};
    rec.output = output;
    rec.command = static_cast<uint8_t>(kit::comboData(command));
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_IOControl(h, rec); });
}

void FsuOtherForm::on_alarmControlButton_clicked() {
    control(static_cast<uint8_t>(kit::comboData(ui.alarmControlChannelComboBox)), ui.alarmControlCmdComboBox);
}

void FsuOtherForm::on_alarm17ControlButton_clicked() {
    control(kSiren, ui.alarm17ControlCmdComboBox);
}

// ---------------------------------------------------------------- structure file

void FsuOtherForm::on_downloadButton_clicked() {
    const QString path = kit::askSaveFile(this, kAllFiles);
    if (path.isEmpty()) return;
    std::vector<uint8_t> buffer(kDownloadBytes, 0);
    uint32_t length = 0;
    if (!kit::run(this, kit::Write.quiet(),
                  [&](int h) { return TSL_NET_FSU_GetStructFile(h, buffer.data(), &length); }))
        return;
    const size_t size = kit::clampCount(length, buffer.size());
    const int saved =
        kit::saveWhole(path, reinterpret_cast<const char*>(buffer.data()), static_cast<qint64>(size));
    if (saved < 0) return kit::showFailure(this, saved, kit::FailText::Write);
    kit::showSuccess(this);
}

void FsuOtherForm::on_uploadButton_clicked() {
    const QString path = kit::askOpenFile(this, kAllFiles);
    if (path.isEmpty()) return;
    QByteArray bytes;
    switch (kit::readWhole(path, kStructFileMaxBytes, bytes)) {
        case kit::ReadResult::NotOpened:
            return kit::showFailure(this, kit::kFileNotOpened, kit::FailText::Write);
        case kit::ReadResult::TooLong:
            return kit::showFailure(this, kFileTooLong, kit::FailText::Write);
        case kit::ReadResult::Ok:
            break;
    }
    // Every map is built and checked before the unit's map is cleared.
    const StructFileCheck check = parseStructFile(bytes);
    if (check.code != 0) return kit::showFailure(this, check.code, kit::FailText::Write);

    if (!kit::run(this, kit::Write.quiet(), [](int h) { return TSL_NET_FSU_ClearRegisterMap(h); })) return;
    for (const Np_FsuRegisterMap& map : check.maps)
        if (!kit::run(this, kit::Write.quiet(), [&](int h) { return TSL_NET_FSU_SetRegisterMap(h, map); }))
            return;
    kit::run(this, kit::Write, [&](int h) {
        return TSL_NET_FSU_SetStructFile(h, reinterpret_cast<const uint8_t*>(bytes.constData()),
                                         bytes.size());
    });
}

// ---------------------------------------------------------------- register map

void FsuOtherForm::on_mapGetButton_clicked() {
    Np_FsuRegisterMap rec{};
    rec.typeNo = static_cast<uint8_t>(ui.mapSpinBox->value());
    kit::run(
        this, kit::Read.quiet(), [&](int h) { return TSL_NET_FSU_GetRegisterMap(h, &rec); },
        [&] {
            for (size_t i = 0; i < addresses_.size(); ++i)
                addresses_[i] = kit::load<uint16_t>(KIT_CFIELD(rec, regAddr) + 2 * i);
            // The spin box never reaches past the addresses the record holds.
            const size_t count = kit::clampCount(rec.count, addresses_.size());
            {
                const QSignalBlocker blocker(ui.mapDataSpinBox);
                ui.mapDataSpinBox->setRange(0, count > 0 ? static_cast<int>(count) - 1 : 0);
                ui.mapDataSpinBox->setValue(0);
            }
            on_mapDataSpinBox_valueChanged(0);
            ui.mapAddrEdit->setText(QString::number(kit::load<uint32_t>(KIT_CFIELD(rec, platformBaseAddr))));
        });
}

void FsuOtherForm::on_mapDataSpinBox_valueChanged(int value) {
    if (value < 0 || value >= static_cast<int>(addresses_.size())) return;
    ui.mapDataEdit->setText(QString::number(addresses_[static_cast<size_t>(value)]));
}

void FsuOtherForm::on_mapClearButton_clicked() {
    kit::run(this, kit::Clear, [](int h) { return TSL_NET_FSU_ClearRegisterMap(h); });
}

// ---------------------------------------------------------------- register table

void FsuOtherForm::on_modbusExportButton_clicked() {
    const QString path = kit::askSaveFile(this, kCsvFiles);
    if (path.isEmpty()) return;
    const QByteArray local = kit::localPath(path);
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_ModbusExportCsv(h, local.constData()); });
}

void FsuOtherForm::on_modbusImportButton_clicked() {
    const QString path = kit::askOpenFile(this, kCsvFiles);
    if (path.isEmpty()) return;
    const QByteArray local = kit::localPath(path);
    kit::run(this, kit::Write, [&](int h) { return TSL_NET_FSU_ModbusImportCsv(h, local.constData()); });
}

void FsuOtherForm::on_modbusHeadClearButton_clicked() {
    kit::run(this, kit::Write, [](int h) { return TSL_NET_FSU_ModbusClearHead(h); });
}

void FsuOtherForm::on_modbusDescClearButton_clicked() {
    kit::run(this, kit::Write, [](int h) { return TSL_NET_FSU_ClearRegisterDesc(h); });
}
