#include "IotWorkmodeBase.h"

#include <QVBoxLayout>

#include "IotInputWidget.h"
#include "IotOutputWidget.h"
#include "PageKit.h"
#include "PageKitRows.h"

namespace {
const int kPorts = 64;
}

IotWorkmodeBase::IotWorkmodeBase(const IotWorkmodeCalls& calls, const char* pageName, QWidget* parent)
    : QWidget(parent), calls_(calls) {
    ui.setupUi(this);
    setObjectName(pageName);
    kit::addItems(ui.comboBox, {{"1对1", 0},
                                {"N(任意一个条件)对N(所有输出)", 4},
                                {"N(所有条件)对N(所有输出)", 5},
                                {"定时", 6},
                                {"互锁", 7}});
    inputRows_ = kit::buildRows(ui.inputScrollArea, kPorts,
                                [](int n, QWidget* p) { return new IotInputWidget(n, p); });
    outputRows_ = kit::buildRows(ui.outputScrollArea, kPorts,
                                 [](int n, QWidget* p) { return new IotOutputWidget(n, p); });
}

IotWorkmodeBase::~IotWorkmodeBase() = default;

void IotWorkmodeBase::show(const Np_IoTWorkModeParams& rec) {
    ui.templateEdit->setText(QString::number(kit::load<uint16_t>(KIT_CFIELD(rec, templateId))));
    kit::selectByData(ui.comboBox, rec.mode);
    for (int i = 0; i < kPorts; ++i) {
        if (auto* row = kit::rowAt<IotInputWidget>(inputRows_, i))
            row->show(rec.inputEnable[i], rec.inputLevel[i]);
        if (auto* row = kit::rowAt<IotOutputWidget>(outputRows_, i))
            row->show(rec.outputEnable[i], rec.outputAction[i], rec.outputState[i]);
    }
}

void IotWorkmodeBase::read(Np_IoTWorkModeParams& rec) const {
    rec.mode = static_cast<uint8_t>(kit::comboData(ui.comboBox));
    for (int i = 0; i < kPorts; ++i) {
        if (auto* row = kit::rowAt<IotInputWidget>(inputRows_, i))
            row->read(rec.inputEnable[i], rec.inputLevel[i]);
        if (auto* row = kit::rowAt<IotOutputWidget>(outputRows_, i))
            row->read(rec.outputEnable[i], rec.outputAction[i], rec.outputState[i]);
    }
}

void IotWorkmodeBase::on_getButton_clicked() {
    Np_IoTWorkModeParams rec{};
    kit::Fields f(this);
    rec.workModeId = f.number<uint8_t>(ui.workmodeIdEdit, QString::fromUtf8("工作模式id"));
    if (!f.ok()) return;
    kit::run(
        this, kit::Read, [&, get = calls_.get](int h) { return get(h, &rec); }, [&] { show(rec); });
}

void IotWorkmodeBase::on_setButton_clicked() {
    Np_IoTWorkModeParams rec{};
    kit::Fields f(this);
    rec.workModeId = f.number<uint8_t>(ui.workmodeIdEdit, QString::fromUtf8("工作模式id"));
    kit::store(KIT_FIELD(rec, templateId),
               f.number<uint16_t>(ui.templateEdit, QString::fromUtf8("计划模板id")));
    if (!f.ok()) return;
    read(rec);
    kit::run(this, kit::Write, [&, set = calls_.set](int h) { return set(h, rec); });
}

void IotWorkmodeBase::on_deleteButton_clicked() {
    kit::Fields f(this);
    const uint8_t id = f.number<uint8_t>(ui.workmodeIdEdit, QString::fromUtf8("工作模式id"));
    if (!f.ok()) return;
    kit::run(this, kit::Write, [&, remove = calls_.remove](int h) { return remove(h, id); });
}

void IotWorkmodeBase::on_clearButton_clicked() {
    kit::run(this, kit::Clear, [clear = calls_.clear](int h) { return clear(h); });
}
