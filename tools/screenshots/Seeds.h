// The seed hook of the screenshot program, and what every seed file needs. A
// page's file tools/screenshots/seeds/<PageClass>Seed.cpp registers, for its
// page class, the buttons to press before the picture (reading buttons, by
// object name, in order) and what the simulated device serves beyond the
// records every device starts with (Plausible.h, those of tessaly-devsim),
// so that the picture shows real-looking values:
//
//   #include "PlanConfigForm.h"
//   #include "Seeds.h"
//   namespace {
//   void fill(devsim::SimDevice& d) {
//       d.PutRecord("idList", {3, 0, 0, 0}, devsim::Bytes{0, 0, 0, 0, 1, 0, 0, 0, 1});
//   }
//   const bool seeded = shots::addSeed({&PlanConfigForm::staticMetaObject, {"planGetButton"}, fill});
//   }
//
// Questions are answered Yes and file dialogs cancelled; no box is shown.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMetaObject>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "DevSim.h"

namespace shots {

struct Seed {
    const QMetaObject* page = nullptr;             // the page's class
    std::vector<std::string> buttons;              // pressed in order before the picture
    std::function<void(devsim::SimDevice&)> fill;  // may be empty
};

// For a seed file's static initialiser; returns true.
bool addSeed(Seed seed);
// Every seed of a page, in registration order.
std::vector<Seed> seedsFor(const QMetaObject* page);

// A record as the bytes the simulated device serves.
template <typename Record>
devsim::Bytes bytesOf(const Record& record) {
    static_assert(std::is_trivially_copyable<Record>::value, "a plain record");
    devsim::Bytes bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

// UTF-8 text into a record's fixed text field, cut to fit with its NUL.
template <size_t N>
void putText(char (&field)[N], const char* utf8) {
    std::snprintf(field, N, "%s", utf8);
}

// The main window's page of class `Page`, or null.
template <class Page>
Page* page() {
    for (QWidget* w : QApplication::allWidgets())
        if (auto* p = qobject_cast<Page*>(w)) return p;
    return nullptr;
}

// `text` into the line edit or editable combo `field` of the pages named
// `page`, as a user types it before pressing a button: the seed hook reaches
// only the device, so the page is found among the widgets.
inline void typeInto(const char* page, const char* field, const char* text) {
    const QString name = QString::fromLatin1(field);
    for (QWidget* w : QApplication::allWidgets()) {
        if (w->objectName() != QLatin1String(page)) continue;
        if (auto* box = w->findChild<QComboBox*>(name))
            box->setEditText(QString::fromUtf8(text));
        else if (auto* edit = w->findChild<QLineEdit*>(name))
            edit->setText(QString::fromUtf8(text));
    }
}

}  // namespace shots
