#include "PageKit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QDoubleValidator>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTextCodec>

#include <cmath>

#include "ClickedComboBox.h"
#include "CustomIntValidator.h"
#include "DeviceRegistry.h"
#include "PageKitRunner.h"
#include "Prompt.h"

namespace kit {

const char* const kTitle = "提示";

namespace {
const char* const kKeptValue = "kitKeptValue";
const char* const kKeptRaw = "kitKeptRaw";
const char* const kKeptShown = "kitKeptShown";

QString title() {
    return QString::fromUtf8(kTitle);
}

QTextCodec* gbk() {
    static QTextCodec* codec = QTextCodec::codecForName("GBK");
    return codec;
}

// Length of `bytes` up to the first NUL, never past `width`.
size_t boundedLength(const void* field, size_t width) {
    const void* nul = std::memchr(field, 0, width);
    return nul ? static_cast<size_t>(static_cast<const char*>(nul) - static_cast<const char*>(field)) : width;
}
}  // namespace

// ---------------------------------------------------------------- messages

QString errorText(int code) {
    return QString::fromLocal8Bit(DeviceRegistry::errorText(code).c_str());
}

QString failureText(int code, FailText form) {
    const char* pattern = form == FailText::Read ? "执行失败！ret = %1, %2" : "执行失败！ret = %1,%2";
    return QString::fromUtf8(pattern).arg(code).arg(errorText(code));
}

void showSuccess(QWidget* parent) {
    Prompt::current().information(parent, title(), QString::fromUtf8("执行成功！"));
}

void showFailure(QWidget* parent, int code, FailText form) {
    Prompt::current().warning(parent, title(), failureText(code, form));
}

void inform(QWidget* parent, const QString& text) {
    Prompt::current().information(parent, title(), text);
}

void warn(QWidget* parent, const QString& text) {
    Prompt::current().warning(parent, title(), text);
}

bool confirm(QWidget* parent) {
    return Prompt::current().question(parent, QString::fromUtf8("二次确认"),
                                      QString::fromUtf8("请确认是否进行操作！！！"));
}

bool listSaved(QWidget* parent) {
    if (DeviceRegistry::instance().saved()) return true;
    warn(parent, QString::fromUtf8("设备列表保存失败！"));
    return false;
}

void keepNewPassword(QWidget* parent, const std::string& device, const std::string& password) {
    DeviceRegistry& registry = DeviceRegistry::instance();
    Device saved;
    saved.name = device;
    // A device no longer in the list has no saved password to change.
    if (registry.get(saved) == 0) {
        saved.password = password;
        registry.update(saved);
        if (!registry.saved()) {
            warn(parent, QString::fromUtf8("设备密码已修改，但设备列表保存失败！"));
            return;
        }
    }
    showSuccess(parent);
}

// ---------------------------------------------------------------- runner

int currentHandle() {
    return DeviceRegistry::instance().currentHandle();
}

bool run(QWidget* parent, const Op& op, const std::function<int(int)>& call,
         const std::function<void()>& fill) {
    return attempt(parent, op, call, fill) == Outcome::Done;
}

Outcome attempt(QWidget* parent, const Op& op, const std::function<int(int)>& call,
                const std::function<void()>& fill, const std::function<void()>& always) {
    if (op.confirm && !confirm(parent)) return Outcome::Declined;
    int result = 0;
    if (!callCurrent(parent, result, call)) return Outcome::Gone;
    if (always) always();
    const bool failed = op.test == Test::NonZero ? result != 0 : result < 0;
    if (failed) {
        showFailure(parent, result, op.text);
        return Outcome::Failed;
    }
    if (fill) fill();
    if (op.successBox) showSuccess(parent);
    return Outcome::Done;
}

// ---------------------------------------------------------------- numbers

namespace {
// False for text that is no number; blank text reads as 0.
bool readInt(const QString& text, qint64& value) {
    const QString trimmed = text.trimmed();
    bool ok = true;
    value = trimmed.isEmpty() ? 0 : trimmed.toLongLong(&ok, 10);
    return ok;
}

bool readDouble(const QString& text, double& value) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        value = 0.0;
        return true;
    }
    bool ok = false;
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    value = c.toDouble(trimmed, &ok);
    return ok && std::isfinite(value);
}
}  // namespace

qint64 toInt(const QString& text) {
    qint64 v = 0;
    return readInt(text, v) ? v : 0;
}

double toDouble(const QString& text) {
    double v = 0.0;
    return readDouble(text, v) ? v : 0.0;
}

bool isDecimal(const QString& text, double lo, double hi) {
    double v = 0.0;
    return readDouble(text, v) && v >= lo && v <= hi;
}

QString floatText(double value) {
    return QString::number(value, 'g', 6);
}

QString rangeText(const QString& name, qint64 lo, qint64 hi) {
    return QString::fromUtf8("%1的取值范围为%2~%3").arg(name).arg(lo).arg(hi);
}

QString Fields::editText(const QLineEdit* edit) {
    return edit ? edit->text() : QString();
}

qint64 Fields::check(const QString& text, const QString& name, qint64 lo, qint64 hi) {
    // An unsigned 32-bit field's top is beyond qint64's reach only in theory;
    // toLongLong covers every field the records have. Text that is no number
    // ("12a") is refused like one too big: sent as 0 it would be reported as
    // done.
    qint64 value = 0;
    const bool number = readInt(text, value);
    if (!ok_) return 0;
    if (!number || value < lo || value > hi) {
        refuse(rangeText(name, lo, hi));
        return 0;
    }
    return value;
}

double Fields::decimal(const QLineEdit* edit, const QString& name, double lo, double hi) {
    return decimalOf(editText(edit), name, lo, hi);
}

double Fields::decimalOf(const QString& text, const QString& name, double lo, double hi) {
    double value = 0.0;
    const bool number = readDouble(text, value);
    if (!ok_) return 0.0;
    if (!number || value < lo || value > hi) {
        refuse(QString::fromUtf8("%1的取值范围为%2~%3").arg(name, floatText(lo), floatText(hi)));
        return 0.0;
    }
    return value;
}

void Fields::refuse(const QString& text) {
    if (!ok_) return;  // one warning per press
    ok_ = false;
    warn(parent_, text);
}

QValidator* intValidator(qint64 lo, qint64 hi, QObject* parent) {
    if (lo >= std::numeric_limits<int>::min() && hi <= std::numeric_limits<int>::max())
        return new CustomIntValidator(static_cast<int>(lo), static_cast<int>(hi), parent);
    // Wider than int: digits only (with a sign where negatives are allowed);
    // the range is checked when the operation reads the edit.
    return new QRegularExpressionValidator(QRegularExpression(lo < 0 ? "-?[0-9]{0,19}" : "[0-9]{0,20}"),
                                           parent);
}

void limit(QLineEdit* edit, qint64 lo, qint64 hi) {
    edit->setValidator(intValidator(lo, hi, edit));
}

QDoubleValidator* decimalValidator(double lo, double hi, int decimals, QObject* parent) {
    auto* v = new QDoubleValidator(lo, hi, decimals, parent);
    v->setNotation(QDoubleValidator::StandardNotation);
    // The C locale reads "1,5" as 15 with a group separator; refuse those.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    v->setLocale(c);
    return v;
}

void showScaled(QDoubleSpinBox* box, qint64 raw, double factor) {
    box->setValue(static_cast<double>(raw) * factor);
}

qint64 scaledValue(const QDoubleSpinBox* box, double factor) {
    return std::llround(box->value() / factor);
}

// ---------------------------------------------------------------- flags

void showFlag(QCheckBox* box, qint64 value, Sense sense) {
    const bool on = value != 0;
    box->setChecked(sense == Sense::Plain ? on : !on);
}

uint8_t flag(const QCheckBox* box, Sense sense) {
    const bool checked = box->isChecked();
    return (sense == Sense::Plain ? checked : !checked) ? 1 : 0;
}

// ---------------------------------------------------------------- lists

std::vector<unsigned> parseList(const QString& text, size_t room, const ListRule& rule) {
    static const QRegularExpression digits("^[0-9]+$");
    std::vector<unsigned> values;
    for (const QString& raw : text.split(',')) {
        if (values.size() >= room) break;
        const QString piece = raw.trimmed();
        if (!digits.match(piece).hasMatch()) continue;
        bool ok = false;
        const qulonglong v = piece.toULongLong(&ok);
        if (!ok || v > static_cast<qulonglong>(rule.max)) continue;
        if (v == 0 && rule.skipZero) continue;
        values.push_back(static_cast<unsigned>(v));
    }
    return values;
}

QString joinList(const std::vector<unsigned>& values) {
    QStringList parts;
    for (unsigned v : values) parts << QString::number(v);
    return parts.join(',');
}

QString listText(const unsigned char* entries, size_t width, qint64 count, size_t room,
                 const ListRule& rule) {
    std::vector<unsigned> values;
    const size_t n = clampCount(count, room);
    for (size_t i = 0; i < n; ++i) {
        const unsigned v = width == 2 ? load<uint16_t>(entries + 2 * i) : entries[i];
        if (v == 0 && rule.skipZero) break;
        values.push_back(v);
    }
    return joinList(values);
}

size_t storeList(unsigned char* entries, size_t width, size_t room, const QString& text,
                 const ListRule& rule) {
    const std::vector<unsigned> values = parseList(text, room, rule);
    for (size_t i = 0; i < values.size(); ++i) {
        if (width == 2)
            store<uint16_t>(entries + 2 * i, static_cast<uint16_t>(values[i]));
        else
            entries[i] = static_cast<unsigned char>(values[i]);
    }
    return values.size();
}

// ---------------------------------------------------------------- text

QString text(const void* field, size_t width, TextRule rule) {
    const QByteArray bytes(static_cast<const char*>(field), static_cast<int>(boundedLength(field, width)));
    switch (rule) {
        case TextRule::Utf8:
            return QString::fromUtf8(bytes);
        case TextRule::Local:
            return gbk() ? gbk()->toUnicode(bytes) : QString::fromLatin1(bytes);
        case TextRule::Detected: {
            QTextCodec::ConverterState state;
            const QString decoded =
                QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
            if (state.invalidChars == 0 && state.remainingChars == 0) return decoded;
            return gbk() ? gbk()->toUnicode(bytes) : decoded;
        }
    }
    return QString();
}

QString cutToBytes(const QString& value, int maxBytes) {
    if (value.toUtf8().size() <= maxBytes) return value;
    QString t = value;
    while (!t.isEmpty() && t.toUtf8().size() > maxBytes) {
        // Drop a whole character: both halves of a surrogate pair go together.
        int drop = 1;
        if (t.size() >= 2 && t.at(t.size() - 1).isLowSurrogate() && t.at(t.size() - 2).isHighSurrogate())
            drop = 2;
        t.chop(drop);
    }
    return t;
}

QByteArray utf8Cut(const QString& value, int maxBytes) {
    return cutToBytes(value, maxBytes).toUtf8();
}

void copyText(void* field, size_t width, const QString& value) {
    std::memset(field, 0, width);
    if (width == 0) return;
    const QByteArray bytes = utf8Cut(value, static_cast<int>(width - 1));
    std::memcpy(field, bytes.constData(), static_cast<size_t>(bytes.size()));
}

void copyTextFull(void* field, size_t width, const QString& value) {
    std::memset(field, 0, width);
    const QByteArray bytes = utf8Cut(value, static_cast<int>(width));
    std::memcpy(field, bytes.constData(), static_cast<size_t>(bytes.size()));
}

void cutEdit(QLineEdit* edit, int maxBytes) {
    const QString current = edit->text();
    const QString cut = cutToBytes(current, maxBytes);
    if (cut != current) edit->setText(cut);
}

// ---------------------------------------------------------------- combos

void addCodes(QComboBox* box, std::initializer_list<Code> codes) {
    for (const Code& c : codes)
        box->addItem(QString("%1-%2").arg(c.code).arg(QString::fromUtf8(c.text)), c.code);
}

void addItems(QComboBox* box, std::initializer_list<std::pair<const char*, qint64>> items) {
    for (const auto& item : items) box->addItem(QString::fromUtf8(item.first), item.second);
}

void selectByData(QComboBox* box, qint64 value) {
    const int index = box->findData(value);
    box->setCurrentIndex(index);
    box->setProperty(kKeptValue, index < 0 ? QVariant(value) : QVariant());
}

void selectByIndex(QComboBox* box, qint64 index) {
    const bool shown = index >= 0 && index < box->count();
    box->setCurrentIndex(shown ? static_cast<int>(index) : -1);
    box->setProperty(kKeptValue, shown ? QVariant() : QVariant(index));
}

qint64 comboData(const QComboBox* box) {
    if (box->currentIndex() >= 0) return box->currentData().toLongLong();
    const QVariant kept = box->property(kKeptValue);
    return kept.isValid() ? kept.toLongLong() : 0;
}

qint64 comboIndex(const QComboBox* box) {
    if (box->currentIndex() >= 0) return box->currentIndex();
    const QVariant kept = box->property(kKeptValue);
    return kept.isValid() ? kept.toLongLong() : 0;
}

qint64 idValue(const QComboBox* box) {
    return toInt(box->currentText());
}

void refillIds(QComboBox* box, uint32_t kind) {
    box->clear();
    Np_IdListQuery query{};
    query.kind = kind;
    Np_IdList list{};
    int result = 0;
    if (!callCurrent(box, result, [&](int h) { return TSL_NET_DEV_GetIdList(h, query, &list); }) ||
        result != 0)
        return;
    const size_t n = clampCount(list.count, sizeof list.ids);
    for (size_t i = 0; i < n; ++i) box->addItem(QString::number(list.ids[i]));
}

void bindIdRefill(ClickedComboBox* box, uint32_t kind, QObject* context) {
    QObject::connect(box, &ClickedComboBox::clicked, context, [box, kind] { refillIds(box, kind); });
}

// ---------------------------------------------------------------- states

QString stateText(std::initializer_list<StateText> table, qint64 value) {
    for (const StateText& s : table)
        if (s.value == value) return QString::fromUtf8(s.text);
    return QStringLiteral("UNKNOWN");
}

QString stateText(const std::vector<StateText>& table, qint64 value) {
    for (const StateText& s : table)
        if (s.value == value) return QString::fromUtf8(s.text);
    return QStringLiteral("UNKNOWN");
}

// ---------------------------------------------------------------- times

QString timeText(const Np_Time& t) {
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(t.year), t.month, t.day,
                             t.hour, t.minute, t.second);
}

void showDateTime(QDateTimeEdit* edit, const QDateTime& value, const QByteArray& raw) {
    const bool showable =
        value.isValid() && value >= edit->minimumDateTime() && value <= edit->maximumDateTime();
    if (showable) {
        edit->setDateTime(value);
        edit->setProperty(kKeptRaw, QVariant());
        edit->setProperty(kKeptShown, QVariant());
    } else {
        edit->setProperty(kKeptRaw, raw);
        edit->setProperty(kKeptShown, edit->dateTime());
    }
}

QByteArray keptRaw(const QDateTimeEdit* edit) {
    const QVariant raw = edit->property(kKeptRaw);
    if (!raw.isValid() || edit->dateTime() != edit->property(kKeptShown).toDateTime()) return QByteArray();
    return raw.toByteArray();
}

Np_Time toNpTime(const QDateTime& value) {
    Np_Time t{};
    const QDate d = value.date();
    const QTime tm = value.time();
    t.year = static_cast<uint16_t>(d.year());
    t.month = static_cast<uint8_t>(d.month());
    t.day = static_cast<uint8_t>(d.day());
    t.hour = static_cast<uint8_t>(tm.hour());
    t.minute = static_cast<uint8_t>(tm.minute());
    t.second = static_cast<uint8_t>(tm.second());
    return t;
}

QDateTime fromNpTime(const Np_Time& t) {
    const QDate d(t.year, t.month, t.day);
    const QTime tm(t.hour, t.minute, t.second);
    if (!d.isValid() || !tm.isValid()) return QDateTime();
    return QDateTime(d, tm);
}

// ---------------------------------------------------------------- entry tables

DeviceTag currentDevice() {
    DeviceRegistry& r = DeviceRegistry::instance();
    return DeviceTag{r.currentName(), r.currentHandle()};
}

bool repliesTo(const DeviceTag& device) {
    const DeviceTag now = currentDevice();
    return now.name == device.name && (now.handle == device.handle || now.handle <= 0);
}

}  // namespace kit
