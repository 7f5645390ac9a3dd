#include "EventSubscribeForm.h"

#include <QAbstractItemView>

#include "DeviceRegistry.h"
#include "PageKit.h"
#include "PageKitRunner.h"

using kit::EventFamily;

EventSubscribeForm::EventSubscribeForm(QWidget* parent)
    : QWidget(parent),
      relay_(this),
      acc_(EventFamily::Acc, relay_.handle()),
      iot_(EventFamily::IoT, relay_.handle()),
      fsu_(EventFamily::Fsu, relay_.handle()),
      fpr_(EventFamily::Fpr, relay_.handle()),
      uit_(EventFamily::Uit, relay_.handle()) {
    ui.setupUi(this);
    ui.tableView->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.tableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.tableView->setShowGrid(false);
}

EventSubscribeForm::~EventSubscribeForm() {
    relay_.cut();
}

void EventSubscribeForm::acc_slot(const Np_AccEventInfo& event) {
    acc_.add(event);
}

void EventSubscribeForm::iot_slot(const Np_LinkageEventInfo& event) {
    iot_.add(event);
}

void EventSubscribeForm::fsu_slot(const Np_FsuEventInfo& event) {
    fsu_.add(event);
}

void EventSubscribeForm::fpr_slot(const Np_FprEventInfo& event) {
    fpr_.add(event);
}

void EventSubscribeForm::uit_slot(const Np_UitEventInfo& event) {
    uit_.add(event);
}

template <class Record, class Setter>
void EventSubscribeForm::subscribeWith(kit::LiveFeed<Record>& feed, Setter set) {
    feed.show(ui.tableView);
    // The page shows no result: the device's events, or their absence, are the answer.
    auto callback = feed.callback();
    int result = 0;
    kit::callCurrent(this, result, [&](int h) { return set(h, std::move(callback)); });
}

void EventSubscribeForm::subscribe(Mode mode) {
    const bool full = mode == Mode::Full;
    using Fn = std::function<void(int, Np_AccEventInfo)>;
    switch (DeviceRegistry::instance().currentType()) {
        case TSL_DEVICE_ACC:
            subscribeWith(acc_, [full](int h, Fn cb) {
                return full ? TSL_NET_Acc_SetEventCallbackFull(h, std::move(cb))
                            : TSL_NET_Acc_SetEventCallback(h, std::move(cb));
            });
            break;
        case TSL_DEVICE_IOT:
            subscribeWith(iot_, [full](int h, std::function<void(int, Np_LinkageEventInfo)> cb) {
                return full ? TSL_NET_IoT_SetEventCallbackFull(h, std::move(cb))
                            : TSL_NET_IoT_SetEventCallback(h, std::move(cb));
            });
            break;
        case TSL_DEVICE_FSU:
            subscribeWith(fsu_, [full](int h, std::function<void(int, Np_FsuEventInfo)> cb) {
                return full ? TSL_NET_FSU_SetEventCallbackFull(h, std::move(cb))
                            : TSL_NET_FSU_SetEventCallback(h, std::move(cb));
            });
            break;
        case TSL_DEVICE_FPR:
            // The reader has no full subscription.
            if (full) break;
            subscribeWith(fpr_, [](int h, std::function<void(int, Np_FprEventInfo)> cb) {
                return TSL_NET_FPR_SetEventCallback(h, std::move(cb));
            });
            break;
        case TSL_DEVICE_UIT:
            subscribeWith(uit_, [full](int h, std::function<void(int, Np_UitEventInfo)> cb) {
                return full ? TSL_NET_UIT_SetEventCallbackFull(h, std::move(cb))
                            : TSL_NET_UIT_SetEventCallback(h, std::move(cb));
            });
            break;
        default:
            break;  // NTP servers push no events; no device, nothing to do
    }
}

void EventSubscribeForm::on_subButton_clicked() {
    subscribe(Mode::RealTime);
}

void EventSubscribeForm::on_subfullButton_clicked() {
    subscribe(Mode::Full);
}

void EventSubscribeForm::on_unsubButton_clicked() {
    const int type = DeviceRegistry::instance().currentType();
    int result = 0;
    kit::callCurrent(this, result, [type](int h) { return unsubscribeEvents(type, h); });
}
