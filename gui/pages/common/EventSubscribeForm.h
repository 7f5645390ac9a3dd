// The page of event subscription and live event tables: one table per device
// family, newest event on top, at most 100 rows.
#pragma once

#include <QWidget>

#include "CallbackRelay.h"
#include "PageKitEvents.h"
#include "ui_EventSubscribeForm.h"

class EventSubscribeForm : public QWidget {
    Q_OBJECT
  public:
    explicit EventSubscribeForm(QWidget* parent = nullptr);
    ~EventSubscribeForm() override;

  public Q_SLOTS:
    // One event each, on the GUI thread; rows are drawn on the next turn.
    void acc_slot(const Np_AccEventInfo& event);
    void iot_slot(const Np_LinkageEventInfo& event);
    void fsu_slot(const Np_FsuEventInfo& event);
    void fpr_slot(const Np_FprEventInfo& event);
    void uit_slot(const Np_UitEventInfo& event);

  private Q_SLOTS:
    void on_subButton_clicked();
    void on_subfullButton_clicked();
    void on_unsubButton_clicked();

  private:
    enum class Mode { RealTime, Full };
    void subscribe(Mode mode);
    template <class Record, class Setter>
    void subscribeWith(kit::LiveFeed<Record>& feed, Setter set);

    // Every SDK callback reaches the page through this relay, cut first in
    // the destructor; the feeds' queues outlive the page in the SDK's hands.
    CallbackRelay relay_;
    kit::LiveFeed<Np_AccEventInfo> acc_;
    kit::LiveFeed<Np_LinkageEventInfo> iot_;
    kit::LiveFeed<Np_FsuEventInfo> fsu_;
    kit::LiveFeed<Np_FprEventInfo> fpr_;
    kit::LiveFeed<Np_UitEventInfo> uit_;
    Ui::EventSubscribeFormClass ui;
};
