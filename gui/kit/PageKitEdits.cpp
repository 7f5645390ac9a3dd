#include "PageKitEdits.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStringList>

#include "PageKit.h"

namespace kit {

void showFloat(QLineEdit* edit, const void* field) {
    edit->setText(floatText(loadFloat(field)));  // setText clears the edit's modified mark
}

void storeEditedFloat(void* field, const QLineEdit* edit) {
    if (edit->isModified()) storeFloat(field, static_cast<float>(toDouble(edit->text())));
}

void showText(QLineEdit* edit, const void* field, size_t width) {
    edit->setText(text(field, width));
}

void copyEditedText(void* field, size_t width, const QLineEdit* edit) {
    if (edit->isModified()) copyText(field, width, edit->text());
}

void EntryNumbers::setEdits(const QComboBox* selector, const char* entryWord, std::vector<Edit> edits,
                            double lo, double hi, Read read) {
    selector_ = selector;
    entryWord_ = QString::fromUtf8(entryWord);
    edits_ = std::move(edits);
    lo_ = lo;
    hi_ = hi;
    read_ = read;
    kept_.clear();
}

bool EntryNumbers::leave(int entry, const QLineEdit* edit) {
    for (size_t k = 0; k < edits_.size(); ++k) {
        if (edits_[k].edit != edit) continue;
        // Only typed text is kept: a value the page itself showed goes back as it came.
        if (edit->isModified() && !isDecimal(edit->text(), lo_, hi_)) {
            kept_[{entry, k}] = edit->text();
            return false;
        }
        kept_.erase({entry, k});
    }
    return true;
}

void EntryNumbers::restore(int entry) {
    for (auto it = kept_.lower_bound({entry, 0}); it != kept_.end() && it->first.first == entry; ++it) {
        QLineEdit* edit = edits_[it->first.second].edit;
        edit->setText(it->second);
        edit->setModified(true);  // still the user's, to be read and refused again
    }
}

void EntryNumbers::forget() {
    kept_.clear();
}

QString EntryNumbers::name(int entry, size_t edit) const {
    const QString number = selector_ ? selector_->itemText(entry) : QString::number(entry + 1);
    return entryWord_ + number + ' ' + QString::fromUtf8(edits_[edit].label);
}

void EntryNumbers::check(Fields& fields, int shown) const {
    // The shown entry's edits stand for whatever it kept: they show it.
    const auto checkShown = [&] {
        for (size_t k = 0; k < edits_.size(); ++k) {
            const QLineEdit* edit = edits_[k].edit;
            if (read_ == Read::All || edit->isModified())
                fields.decimalOf(edit->text(), name(shown, k), lo_, hi_);
        }
    };
    bool shownChecked = shown < 0;
    for (const auto& kept : kept_) {
        const int entry = kept.first.first;
        if (!shownChecked && entry >= shown) {
            checkShown();
            shownChecked = true;
        }
        if (entry != shown) fields.decimalOf(kept.second, name(entry, kept.first.second), lo_, hi_);
    }
    if (!shownChecked) checkShown();
}

std::vector<qint64> numberList(Fields& fields, const QString& text, size_t room, qint64 hi,
                               const QString& name, const QString& countName) {
    static const QRegularExpression digits("^[0-9]+$");
    std::vector<qint64> values;
    for (const QString& raw : text.split(',')) {
        const QString piece = raw.trimmed();
        if (!digits.match(piece).hasMatch()) continue;
        bool ok = false;
        const qulonglong v = piece.toULongLong(&ok);
        if (!ok || v > static_cast<qulonglong>(hi)) {
            fields.refuse(rangeText(name, 0, hi));
            return {};
        }
        values.push_back(static_cast<qint64>(v));
    }
    if (values.empty() || values.size() > room) {
        fields.refuse(rangeText(countName, 1, static_cast<qint64>(room)));
        return {};
    }
    return values;
}

}  // namespace kit
