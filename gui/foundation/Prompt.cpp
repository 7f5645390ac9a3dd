#include "Prompt.h"

#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>

#include <atomic>

namespace {
Prompt realPrompt;
std::atomic<Prompt*> installedPrompt{nullptr};
Clock realClock;
std::atomic<const Clock*> installedClock{nullptr};
}  // namespace

void Prompt::information(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text, QMessageBox::Ok, QMessageBox::NoButton);
}

void Prompt::warning(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text, QMessageBox::Ok, QMessageBox::NoButton);
}

bool Prompt::question(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::NoButton) == QMessageBox::Yes;
}

QString Prompt::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                             const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString Prompt::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                             const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

Prompt& Prompt::current() {
    Prompt* p = installedPrompt.load();
    return p ? *p : realPrompt;
}

void Prompt::install(Prompt* prompt) {
    installedPrompt.store(prompt);
}

qint64 Clock::secondsSinceEpoch() const {
    return QDateTime::currentSecsSinceEpoch();
}

const Clock& Clock::current() {
    const Clock* c = installedClock.load();
    return c ? *c : realClock;
}

void Clock::install(const Clock* clock) {
    installedClock.store(clock);
}
