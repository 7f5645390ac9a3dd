// Edits that carry one entry of a kept table, and number lists whose every
// value must fit its field.
#pragma once

#include <QString>

#include <cstddef>
#include <map>
#include <utility>
#include <vector>

class QComboBox;
class QLineEdit;

namespace kit {

class Fields;

// A float field in an edit (6 significant digits). An entry's edits go back
// into the kept copy only where the user changed them: an untouched value
// shown rounded, or a text cut short by its field, is kept as it came.
void showFloat(QLineEdit* edit, const void* field);
void storeEditedFloat(void* field, const QLineEdit* edit);
// Text of a field of `width` bytes; written back with the bounded copy.
void showText(QLineEdit* edit, const void* field, size_t width);
void copyEditedText(void* field, size_t width, const QLineEdit* edit);

// The number edits of a table shown one entry at a time (EntryTable). An
// entry left with typed text that the write would refuse ("-", "." half
// typed) keeps that text instead of a number: its value in the copy stays,
// the text comes back when the entry is shown again, and the write is
// refused for it. Turned into 0 on leaving, it would be sent as done.
class EntryNumbers {
  public:
    // Which edits of the shown entry the page reads into its copy: only those
    // the user changed, or every one.
    enum class Read { Edited, All };
    struct Edit {
        QLineEdit* edit;
        const char* label;  // UTF-8, as the page labels it
    };

    // `selector` shows the entries as the warning names them, after `entryWord`.
    void setEdits(const QComboBox* selector, const char* entryWord, std::vector<Edit> edits, double lo,
                  double hi, Read read);
    // `entry` is being left: false when `edit`'s text is kept in place of a
    // number, and the page stores nothing for it.
    bool leave(int entry, const QLineEdit* edit);
    // `entry` has just been shown from the copy: its kept texts go back.
    void restore(int entry);
    // The copy was replaced: what was typed into the old one goes with it.
    void forget();
    // Before the table is written (`shown`: the entry on show, -1 for none):
    // every entry's numbers in entry order, the first refused one warning
    // "<entryWord><entry> <label>的取值范围为lo~hi".
    void check(Fields& fields, int shown) const;

  private:
    QString name(int entry, size_t edit) const;

    const QComboBox* selector_ = nullptr;
    QString entryWord_;
    std::vector<Edit> edits_;
    double lo_ = 0.0;
    double hi_ = 0.0;
    Read read_ = Read::All;
    std::map<std::pair<int, size_t>, QString> kept_;  // (entry, edit) -> text
};

// The unsigned decimal numbers of a comma-separated text, in order; pieces
// that are no number (empty ones included) are skipped. A number above `hi`
// refuses the operation (naming `name` and its range), as does a text of no
// number or of more than `room` ("<countName>的取值范围为1~room").
std::vector<qint64> numberList(Fields& fields, const QString& text, size_t room, qint64 hi,
                               const QString& name, const QString& countName);

}  // namespace kit
