// The seed hook of the screenshot program. A page's file
// tools/screenshots/seeds/<PageClass>Seed.cpp registers, for its page class,
// the buttons to press before the picture (reading buttons, by object name,
// in order) and what the simulated device serves, so that the picture shows
// real-looking values:
//
//   #include "EventSubscribeForm.h"
//   #include "Seeds.h"
//   namespace {
//   void fill(devsim::SimDevice& d) {
//       d.PutRecord("time", {}, devsim::Bytes{0xE8, 0x07, 6, 1, 12, 30, 0, 0});
//   }
//   const bool seeded = shots::addSeed({&EventSubscribeForm::staticMetaObject, {"subButton"}, fill});
//   }
//
// Questions are answered Yes and file dialogs cancelled; no box is shown.
#pragma once

#include <QMetaObject>

#include <functional>
#include <string>
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

}  // namespace shots
