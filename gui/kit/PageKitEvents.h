// Device events and log records as table rows: the column headers and cell
// texts of each family's events and of the device log (shared by the live
// event page, the log and event query page and its workbook export), and the
// live feed that carries pushed events from SDK threads into a table without
// letting a fast device flood the GUI thread.
#pragma once

#include <QPointer>
#include <QStandardItemModel>
#include <QString>
#include <QStringList>
#include <QTableView>

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "CallbackRelay.h"
#include "TslAcc.h"
#include "TslDev.h"
#include "TslFpr.h"
#include "TslFsu.h"
#include "TslIoT.h"
#include "TslUit.h"

namespace kit {

// ---------------------------------------------------------------- texts

enum class EventFamily { Acc, IoT, Fsu, Fpr, Uit };

QStringList eventHeaders(EventFamily family);
// The registry's text of an event code (its digits when it has none).
QString eventCodeText(int code);
// "1-设备" ... "5-MODBUS", "UNKNOWN" for anything else.
QString sourceTypeText(qint64 code);
// "进" for 1, "出" for 2, empty for anything else.
QString directionText(qint64 direction);

// One row of cells, in the order of eventHeaders.
QStringList eventCells(const Np_AccEventInfo& e);
QStringList eventCells(const Np_LinkageEventInfo& e);
QStringList eventCells(const Np_FsuEventInfo& e);
QStringList eventCells(const Np_UitEventInfo& e);
QStringList eventCells(const Np_FprEventInfo& e);

// The device log: the operating user's column only for the device types
// that record one.
bool logHasUser(int deviceType);
QStringList logHeaders(int deviceType);
// "系统操作", "配置", "事件"; "Unknown" for anything else.
QString logTypeText(qint64 type);
QStringList logCells(const Np_LogInfo& r, int deviceType);

// Rows of text items, with the headers of `family`.
void setHeaders(QStandardItemModel* model, EventFamily family);
QList<QStandardItem*> rowItems(const QStringList& cells);

// ---------------------------------------------------------------- live rows

// A model that shows at most `room` rows, newest on top.
class NewestRows {
  public:
    NewestRows(EventFamily family, int room);
    QStandardItemModel* model() { return &model_; }
    // Rows in arrival order; only the newest `room` of old and new stay.
    void add(const std::vector<QStringList>& rows);
    void clear();

  private:
    QStandardItemModel model_;
    int room_;
};

// Keeps only the newest `room` items; safe from any thread. push() says
// whether the caller must wake the consumer (the first item since the last
// take), so one wake-up is ever in flight however fast items come.
template <class T>
class NewestQueue {
  public:
    explicit NewestQueue(size_t room) : room_(room) {}
    bool push(const T& item) {
        std::lock_guard<std::mutex> lock(mutex_);
        items_.push_back(item);
        if (items_.size() > room_) items_.pop_front();
        if (woken_) return false;
        woken_ = true;
        return true;
    }
    std::vector<T> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<T> out(items_.begin(), items_.end());
        items_.clear();
        woken_ = false;
        return out;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        items_.clear();
    }

  private:
    std::mutex mutex_;
    std::deque<T> items_;
    size_t room_;
    bool woken_ = false;
};

// One family's live table. The SDK callback it hands out only queues the
// record and, once per batch, posts a drain through the owner's relay; the
// drain turns the batch into rows on the GUI thread in one go. Events that
// would be pushed out of the table before being drawn are dropped unread,
// so neither memory nor the GUI thread's work grows with the device's rate.
template <class Record>
class LiveFeed {
  public:
    static constexpr int kRoom = 100;

    LiveFeed(EventFamily family, CallbackRelay::Handle relay)
        : queue_(std::make_shared<NewestQueue<Record>>(kRoom)),
          relay_(std::move(relay)),
          rows_(family, kRoom) {}

    // For the SDK: holds only the queue and the relay, so it may outlive the feed.
    std::function<void(int, Record)> callback() {
        auto queue = queue_;
        CallbackRelay::Handle relay = relay_;
        LiveFeed* self = this;
        return [queue, relay, self](int, Record record) {
            if (queue->push(record)) relay.post([self] { self->drain(); });
        };
    }
    // On the GUI thread: one record, as if pushed.
    void add(const Record& record) { callback()(0, record); }
    // Shows the feed's model in `view`, emptied.
    void show(QTableView* view) {
        view_ = view;
        queue_->clear();
        rows_.clear();
        view->setModel(rows_.model());
    }
    QStandardItemModel* model() { return rows_.model(); }

  private:
    void drain() {
        const std::vector<Record> records = queue_->take();
        if (records.empty()) return;
        std::vector<QStringList> rows;
        rows.reserve(records.size());
        for (const Record& r : records) rows.push_back(eventCells(r));
        rows_.add(rows);
        if (view_ && view_->model() == rows_.model()) view_->resizeColumnsToContents();
    }

    std::shared_ptr<NewestQueue<Record>> queue_;
    CallbackRelay::Handle relay_;
    NewestRows rows_;
    QPointer<QTableView> view_;
};

}  // namespace kit
