// Records of a device in service, for a simulated device that should look
// like one: tessaly-devsim gives them to every device it starts, and the
// screenshot program's devices serve them to its pages. The in-process
// simulator the tests drive starts with zero records and a fixed clock, as
// the tests expect; nothing here changes that unless Apply is called.
//
// Everything here is a record value only (addresses included: nobody sends
// to them). The records are those of the SDK's interface, so that a page
// reading them shows what a device would show.
#pragma once

#include <cstdint>
#include <vector>

#include "DevSim.h"
#include "TslAcc.h"
#include "TslDev.h"
#include "TslFsu.h"
#include "TslIoT.h"
#include "TslNtp.h"
#include "TslUit.h"

namespace devsim::plausible {

// The device's type's records (common and family ones, log and stored
// events dated today), and a clock that runs on from the host's.
void Apply(SimDevice& device);

// The clock alone: 1008 reads the host's local time plus the offset that
// the last 1009 set (a set time reads back as set, plus the seconds since);
// 1009 also keeps the record it got under "time", as the plain store does,
// and refuses a record that is no date and time (result 6).
void RunClock(SimDevice& device);

// Records that the screenshot seeds also use.
std::vector<Np_AccCardInfo> AccCards();
std::vector<Np_AccEventInfo> AccEvents();

// Access controller (type 100): its parameters, plans, door rules and card
// readers, as Apply gives them and the seeds of their pages show them.
struct AccParameters {
    Np_AccDeviceInfo device;
    Np_AccFlashInfo flash;  // its counts those of the cards, events and log Apply keeps
    Np_AccSystemInfo system;
};
AccParameters AccParams();

struct AccPlans {
    std::vector<Np_WeekPlan> week;
    std::vector<Np_HolidayPlan> holidays;  // dated this year
    std::vector<Np_PlanTemplate> templates;
};
AccPlans AccPlanRecords();

struct AccRules {
    std::vector<Np_AccMultiLockInfo> interlocks;
    Np_AccAntiInfo antiPassback;
    std::vector<Np_AccMultiCardInfo> combinations;
    std::vector<Np_AccLinkageInfo> linkages;
};
AccRules AccDoorRules();

// The readers on the controller's bus, at addresses from 1 on.
std::vector<Np_AccReaderId> AccReaders();

// IoT device's work modes, plain and LoRa ones, keyed by their ids.
std::vector<Np_IoTWorkModeParams> IoTWorkModes();
std::vector<Np_IoTLoraWorkModeParams> IoTLoraWorkModes();

}  // namespace devsim::plausible
