// The page of the device log and the stored events: queries by time range,
// five records a page, paging, clearing, and the export of every page of a
// query to a workbook.
#pragma once

#include <QStandardItemModel>
#include <QStringList>
#include <QWidget>

#include <vector>

#include "TslAcc.h"
#include "TslDev.h"
#include "TslFsu.h"
#include "TslIoT.h"
#include "TslUit.h"
#include "ui_LogQueryForm.h"

class LogQueryForm : public QWidget {
    Q_OBJECT
  public:
    explicit LogQueryForm(QWidget* parent = nullptr);
    ~LogQueryForm() override;

    // What the table shows: a log page, or the events of a device type.
    static constexpr int kLogKind = 99;
    static constexpr int kNothingShown = -1;

  private slots:
    void on_queryButton_clicked();
    void on_lastPageButton_clicked();
    void on_nextPageButton_clicked();
    void on_jumpButton_clicked();
    void on_logClearButton_clicked();
    void on_eventClearButton_clicked();
    void on_exportButton_clicked();

  private:
    // One list of each kind: the page last fetched.
    struct Lists {
        Np_LogList log;
        Np_AccEventList acc;
        Np_IoTEventList iot;
        Np_FsuEventList fsu;
        Np_UitEventList uit;
    };

    void readTimes();
    // The query of one page over the times last read.
    Np_EventQuery query(int page) const;
    // One page of `kind` into `lists`; the export's status. It runs off the
    // GUI thread, so it touches nothing of the page.
    static int fetch(int handle, int kind, const Np_EventQuery& query, Lists& lists);
    void queryPage(int page);
    void fill(int kind);
    void fillLogTable();
    void fillAccEventTable();
    void fillIotEventTable();
    void fillFsuEventTable();
    void fillUitEventTable();
    void showPage(int kind, QStandardItemModel& model, const std::vector<QStringList>& rows);

    // Models first: the form's view shows them.
    QStandardItemModel logModel_, fsuLogModel_, uitLogModel_, accModel_, iotModel_, fsuModel_, uitModel_;
    Ui::LogQueryFormClass ui;
    int shownKind = kNothingShown;
    Np_Time queryStart{};
    Np_Time queryEnd{};
    Lists table_{};
};
