// The page kit: what every device page does alike, in one place. A page slot
// reads its widgets through the kit, runs its one SDK export through the
// kit's runner and fills its widgets through the kit; it never opens a box,
// copies text into a record or checks a number itself.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "TslDev.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QDoubleSpinBox;
class QDoubleValidator;
class QLineEdit;
class QObject;
class QValidator;
class QWidget;
class ClickedComboBox;

// The bytes of a record field, for the helpers that take raw field memory.
// Records are packed: a pointer to a packed member of a wider type must never
// be formed, so fields are reached as bytes at their offset.
#define KIT_FIELD(record, member) \
    (reinterpret_cast<unsigned char*>(&(record)) + offsetof(std::decay_t<decltype(record)>, member))
#define KIT_CFIELD(record, member) \
    (reinterpret_cast<const unsigned char*>(&(record)) + offsetof(std::decay_t<decltype(record)>, member))

namespace kit {

// ---------------------------------------------------------------- messages

extern const char* const kTitle;  // "提示"

enum class FailText {
    Read,   // "执行失败！ret = %1, %2"
    Write,  // "执行失败！ret = %1,%2"
};

// The registry's text of a status code as display text.
QString errorText(int code);
QString failureText(int code, FailText form);
void showSuccess(QWidget* parent);
void showFailure(QWidget* parent, int code, FailText form);
void inform(QWidget* parent, const QString& text);
void warn(QWidget* parent, const QString& text);
// "二次确认" / "请确认是否进行操作！！！"; true only for Yes.
bool confirm(QWidget* parent);
// After a change of the saved device list: true when it was written, else
// false with the box that says it was not (the change holds for the session).
bool listSaved(QWidget* parent);
// After the device took a new password: the saved list takes it too, so the
// next login uses it, and one box says how both went: "执行成功！", or that
// the device has the password and the list could not be saved.
void keepNewPassword(QWidget* parent, const std::string& device, const std::string& password);

// ---------------------------------------------------------------- operation runner

enum class Test {
    NonZero,   // reading operations: anything but 0 fails
    Negative,  // writing operations: below 0 fails
};

struct Op {
    Test test;
    FailText text;
    bool confirm = false;    // ask "二次确认" first
    bool successBox = true;  // show "执行成功！" on success

    constexpr Op asking() const { return {test, text, true, successBox}; }
    constexpr Op quiet() const { return {test, text, confirm, false}; }
    constexpr Op withText(FailText t) const { return {test, t, confirm, successBox}; }
};

constexpr Op Read{Test::NonZero, FailText::Read};
constexpr Op Write{Test::Negative, FailText::Write};
constexpr Op Clear{Test::Negative, FailText::Write, true};

// The current device's login handle, fetched anew for every call.
int currentHandle();

// Runs one export for the current device: confirmation when the operation
// asks, `call` with the handle, the result test, then on success `fill`
// (before the success box) or on failure the failure box with nothing
// changed. Returns whether it succeeded. The page reads its widgets before
// calling this, so the handle is fetched after them. The call runs off the
// GUI thread and touches only the slot's locals, never the page; `fill` puts
// the reply into the page on the GUI thread (PageKitRunner.h). A page deleted
// meanwhile, or a current device switched, gets no fill and no box, and
// false: the slot must touch nothing after a false.
bool run(QWidget* parent, const Op& op, const std::function<int(int handle)>& call,
         const std::function<void()>& fill = {});

enum class Outcome {
    Done,
    Declined,  // the confirmation was not answered Yes; nothing was sent
    Failed,    // the failure box has been shown
    Gone,      // the page went away or the device changed: touch nothing
};
// As run(), for the slot that does something after the call whatever its
// result: `always` runs once the call has returned, before the result's
// fill and box, unless the outcome is Gone.
Outcome attempt(QWidget* parent, const Op& op, const std::function<int(int handle)>& call,
                const std::function<void()>& fill = {}, const std::function<void()>& always = {});

// ---------------------------------------------------------------- numbers

// Decimal readers for text already checked (or a validator's): text that is
// not a number gives 0. Edits that feed a record go through Fields, which
// refuses such text.
qint64 toInt(const QString& text);
// Decimal text in the C locale (the desktop's locale never changes what a
// field receives); not a number gives 0.
double toDouble(const QString& text);
// Whether Fields takes the text as a decimal within [lo, hi].
bool isDecimal(const QString& text, double lo, double hi);
// Up to 6 significant digits, the shorter of fixed and exponent form.
QString floatText(double value);

// Reads number edits into record fields. A value outside its field's range,
// or text that is no number, is refused at the press: one warning naming the
// field and its range, and the operation stops with nothing sent. A blank
// edit reads as 0.
class Fields {
  public:
    explicit Fields(QWidget* parent) : parent_(parent) {}

    // The edit's number for a field of type T (its whole range).
    template <class T>
    T number(const QLineEdit* edit, const QString& name) {
        return number<T>(edit, name, static_cast<qint64>(std::numeric_limits<T>::min()),
                         static_cast<qint64>(std::numeric_limits<T>::max()));
    }
    // ... within [lo, hi] (inside T's range).
    template <class T>
    T number(const QLineEdit* edit, const QString& name, qint64 lo, qint64 hi) {
        return static_cast<T>(check(editText(edit), name, lo, hi));
    }
    template <class T>
    T numberOf(const QString& text, const QString& name, qint64 lo, qint64 hi) {
        return static_cast<T>(check(text, name, lo, hi));
    }
    // A decimal edit within [lo, hi] (C locale).
    double decimal(const QLineEdit* edit, const QString& name, double lo, double hi);
    double decimalOf(const QString& text, const QString& name, double lo, double hi);
    // Refuses the operation with a warning of the page's own.
    void refuse(const QString& text);

    // False when something was refused; the warning has been shown then.
    bool ok() const { return ok_; }

  private:
    qint64 check(const QString& text, const QString& name, qint64 lo, qint64 hi);
    static QString editText(const QLineEdit* edit);

    QWidget* parent_;
    bool ok_ = true;
};

// The range text shown when a number is refused, e.g. "延时的取值范围为0~255".
QString rangeText(const QString& name, qint64 lo, qint64 hi);

// Validators sized to a field: typing outside the range is refused at once.
QValidator* intValidator(qint64 lo, qint64 hi, QObject* parent);
template <class T>
QValidator* intValidatorFor(QObject* parent) {
    return intValidator(static_cast<qint64>(std::numeric_limits<T>::min()),
                        static_cast<qint64>(std::numeric_limits<T>::max()), parent);
}
void limit(QLineEdit* edit, qint64 lo, qint64 hi);
template <class T>
void limitTo(QLineEdit* edit) {
    limit(edit, static_cast<qint64>(std::numeric_limits<T>::min()),
          static_cast<qint64>(std::numeric_limits<T>::max()));
}
// Decimal input in the C locale, so "1,5" cannot be typed on a comma-decimal desktop.
QDoubleValidator* decimalValidator(double lo, double hi, int decimals, QObject* parent);

// Little-endian values at any offset of a record, through memcpy.
template <class T>
T load(const void* field) {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");
    T value;
    std::memcpy(&value, field, sizeof value);
    return value;
}
template <class T>
void store(void* field, T value) {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");
    std::memcpy(field, &value, sizeof value);
}
inline float loadFloat(const void* field) {
    return load<float>(field);
}
inline void storeFloat(void* field, float value) {
    store<float>(field, value);
}

// A count read from a device, never past what the record holds.
inline size_t clampCount(qint64 count, size_t capacity) {
    if (count < 0) return 0;
    return static_cast<size_t>(count) > capacity ? capacity : static_cast<size_t>(count);
}

// Scaled fields in double spin boxes: shown as raw * factor, written back as
// value / factor rounded to the nearest unit (an exact value stays the same).
void showScaled(QDoubleSpinBox* box, qint64 raw, double factor);
qint64 scaledValue(const QDoubleSpinBox* box, double factor);

// ---------------------------------------------------------------- flags

enum class Sense { Plain, Inverted };
void showFlag(QCheckBox* box, qint64 value, Sense sense = Sense::Plain);
uint8_t flag(const QCheckBox* box, Sense sense = Sense::Plain);

// ---------------------------------------------------------------- number lists

struct ListRule {
    qint64 max = 255;       // pieces above it are skipped
    bool skipZero = false;  // 0 is no entry (and ends a list when read)
};
// "1,2,5" to entries: pieces that are not unsigned decimal numbers (or break
// the rule) are skipped; at most `room` entries.
std::vector<unsigned> parseList(const QString& text, size_t room, const ListRule& rule = {});
QString joinList(const std::vector<unsigned>& values);
// Entries of `width` bytes (1 or 2, little-endian) in record memory. Reading
// takes `count` entries (clamped to `room`), stopping at a 0 when the rule
// says so; writing stores the entries and returns how many it stored.
QString listText(const unsigned char* entries, size_t width, qint64 count, size_t room,
                 const ListRule& rule = {});
size_t storeList(unsigned char* entries, size_t width, size_t room, const QString& text,
                 const ListRule& rule = {});

// ---------------------------------------------------------------- text

enum class TextRule {
    Utf8,
    Local,     // the devices' 8-bit code page, GBK, decoded explicitly
    Detected,  // UTF-8 when the bytes are valid UTF-8, else GBK
};

// Text of a fixed-width field: up to the first NUL, never past `width`.
QString text(const void* field, size_t width, TextRule rule = TextRule::Utf8);
template <size_t N>
QString text(const char (&field)[N], TextRule rule = TextRule::Utf8) {
    return text(field, N, rule);
}
// The longest prefix of `text` whose UTF-8 form fits `maxBytes`, cut on a
// whole character (a surrogate pair goes together).
QString cutToBytes(const QString& text, int maxBytes);
QByteArray utf8Cut(const QString& text, int maxBytes);
// Bounded copy into a field of `width` bytes: at most width-1 bytes of whole
// characters and a NUL; the rest of the field is zeroed.
void copyText(void* field, size_t width, const QString& text);
template <size_t N>
void copyText(char (&field)[N], const QString& value) {
    copyText(field, N, value);
}
// The full-width form: up to `width` bytes, a NUL only where there is room.
void copyTextFull(void* field, size_t width, const QString& text);
// The cutter behind a length-limited edit's textEdited slot.
void cutEdit(QLineEdit* edit, int maxBytes);

// ---------------------------------------------------------------- combo boxes

struct Code {
    qint64 code;
    const char* text;
};
// Items that read "1-普通卡" and carry the code as data.
void addCodes(QComboBox* box, std::initializer_list<Code> codes);
// Items with their own text and data.
void addItems(QComboBox* box, std::initializer_list<std::pair<const char*, qint64>> items);
// Shows the item whose data (or index) is `value`; when none has it the box
// shows no selection and keeps the value, which comboData / comboIndex give
// back until something is selected, so a set writes it back unchanged.
void selectByData(QComboBox* box, qint64 value);
void selectByIndex(QComboBox* box, qint64 index);
qint64 comboData(const QComboBox* box);
qint64 comboIndex(const QComboBox* box);
// The current text of an id combo as a number (0 when empty).
qint64 idValue(const QComboBox* box);

// Refills an id combo (plain decimal ids) from the device on every left press.
void bindIdRefill(ClickedComboBox* box, uint32_t kind, QObject* context);
void refillIds(QComboBox* box, uint32_t kind);

// ---------------------------------------------------------------- state texts

struct StateText {
    qint64 value;
    const char* text;
};
// The text of a state value; "UNKNOWN" for a value the table does not cover.
QString stateText(std::initializer_list<StateText> table, qint64 value);
QString stateText(const std::vector<StateText>& table, qint64 value);

// ---------------------------------------------------------------- times

QString timeText(const Np_Time& time);  // "%04d-%02d-%02d %02d:%02d:%02d"
// Shows `value` in the edit; a value the edit cannot show leaves it as it was
// and keeps `raw`, which keptRaw gives back as long as the edit still shows
// what it showed then (the user has not changed it).
void showDateTime(QDateTimeEdit* edit, const QDateTime& value, const QByteArray& raw);
QByteArray keptRaw(const QDateTimeEdit* edit);
Np_Time toNpTime(const QDateTime& value);
QDateTime fromNpTime(const Np_Time& time);  // invalid when the fields are no date and time

// ---------------------------------------------------------------- entry tables

// Which device a kept copy came from: the registry's current name and handle.
struct DeviceTag {
    std::string name;
    int handle = 0;
    bool operator==(const DeviceTag& o) const { return name == o.name && handle == o.handle; }
};
DeviceTag currentDevice();
// Whether a reply from `device` is still the current device's: the same
// login, or the same device dropped since (it is still the one the call went
// to, and its failure shows); not another device, nor a new login of it.
bool repliesTo(const DeviceTag& device);

// A record holding a table of entries shown one at a time. The page keeps
// the last reply; a selector picks the entry; the shown entry's edits go
// back into the copy when the selector moves and before the table is
// written. The copy is tagged with its device: written to another device it
// starts from a fresh (zeroed) table, never the first device's entries.
template <class Record>
class EntryTable {
  public:
    using Save = std::function<void(Record& record, int entry)>;        // widgets -> copy
    using Show = std::function<void(const Record& record, int entry)>;  // copy -> widgets
    // The copy was replaced: by a reply, or by a fresh table for another device.
    using Replaced = std::function<void()>;

    void setHooks(Save save, Show show, Replaced replaced = {}) {
        save_ = std::move(save);
        show_ = std::move(show);
        replaced_ = std::move(replaced);
    }
    // A fresh reply from the current device; shows `entry`.
    void take(const Record& record, int entry) {
        record_ = record;
        tag_ = currentDevice();
        filled_ = true;
        shown_ = entry;
        if (replaced_) replaced_();
        if (show_) show_(record_, entry);
    }
    // The selector moved to `entry`.
    void select(int entry) {
        if (shown_ >= 0 && save_) save_(record_, shown_);
        shown_ = entry;
        if (show_) show_(record_, entry);
    }
    // The table to write to the current device, with the shown edits in it.
    // A table never read holds only what the user typed, which stays.
    Record& forWrite() {
        if (filled_ && !(tag_ == currentDevice())) {
            std::memset(static_cast<void*>(&record_), 0, sizeof record_);
            if (replaced_) replaced_();
        }
        if (!filled_ || !(tag_ == currentDevice())) {
            tag_ = currentDevice();
            filled_ = true;
        }
        if (shown_ >= 0 && save_) save_(record_, shown_);
        return record_;
    }
    const Record& record() const { return record_; }
    bool filled() const { return filled_; }
    int shown() const { return shown_; }

  private:
    Record record_{};
    DeviceTag tag_;
    bool filled_ = false;
    int shown_ = -1;
    Save save_;
    Show show_;
    Replaced replaced_;
};

}  // namespace kit
