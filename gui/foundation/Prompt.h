// The one way the program opens a modal box or a file dialog. The default
// shows the real QMessageBox / QFileDialog; tests install a double that
// records what was asked and answers from a script, so nothing ever blocks.
#pragma once

#include <QString>

class QWidget;

class Prompt {
  public:
    enum Kind { Information, Warning, Question, OpenFile, SaveFile };

    virtual ~Prompt() = default;
    virtual void information(QWidget* parent, const QString& title, const QString& text);
    virtual void warning(QWidget* parent, const QString& title, const QString& text);
    // Yes/No with no default button; true only for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text);
    // An empty path when the user cancels.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter);
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter);

    static Prompt& current();
    // Installs `prompt` (not owned; null restores the real boxes).
    static void install(Prompt* prompt);
};

// The wall clock, where a file name or a shown time depends on it.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual qint64 secondsSinceEpoch() const;

    static const Clock& current();
    static void install(const Clock* clock);  // not owned; null restores the real clock
};
