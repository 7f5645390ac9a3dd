// What the main-window and dialog tests share: a window built over a saved
// list of simulated devices, its context menu, and modal dialogs driven from
// inside their exec.
#pragma once

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QTimer>
#include <QTreeView>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "GuiHarness.h"
#include "QtTessaly.h"

namespace guitest {

// Runs `act` on the next modal dialog once its exec has shown it; `act`
// must close it.
inline void onModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, ticks] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && ++*ticks < 400) return;
        timer->stop();
        timer->deleteLater();
        if (modal)
            act(modal);
        else
            ADD_FAILURE() << "no modal dialog came up";
    });
    timer->start(5);
}

// For a device whose login reply is held and then followed by a close: from
// the moment the login request is in until the close has had time to reach
// the SDK, the GUI thread is held, so the window asks for its disconnect
// watch only after the SDK has let the handle go.
inline void holdWindowThroughLoginClose(devsim::SimServer& server) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, &server] {
        if (server.RequestsFor(1001).empty()) return;
        timer->stop();
        timer->deleteLater();
        for (int i = 0; i < 600 && server.ConnectionCount() > 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    });
    timer->start(5);
}

inline bool showsIcon(QStandardItem* row, const char* icon) {
    return row && row->icon().pixmap(16).toImage() == QIcon(QString::fromLatin1(icon)).pixmap(16).toImage();
}

class ShellTest : public GuiTest {
  protected:
    void TearDown() override {
        window.reset();
        GuiTest::TearDown();
    }

    // A simulated device in the saved list, not logged in.
    SimUnit& saved(int type, const std::string& name) { return addDevice(type, name, false, false); }

    // The program's start: an empty registry reads the list the units were
    // saved to, and the window is built over it.
    void openWindow() {
        DeviceRegistry& registry = DeviceRegistry::instance();
        registry.resetForTests();
        registry.setFilePath(path("devices.bin"));
        window = std::make_unique<QtTessaly>();
        window->show();
        tree()->expandAll();
    }

    QTreeView* tree() { return child<QTreeView>(window.get(), "deviceTreeView"); }
    QStandardItem* row(const std::string& name) { return window->deviceRow(name); }
    bool online(const std::string& name) { return showsIcon(row(name), ":/icon/online.svg"); }
    bool offline(const std::string& name) { return showsIcon(row(name), ":/icon/offline.svg"); }

    void select(const std::string& name) {
        QStandardItem* r = row(name);
        ASSERT_NE(r, nullptr) << name;
        tree()->setCurrentIndex(r->index());
    }

    // Chooses `text` in the context menu of the device's row.
    void menu(const std::string& name, const char* text) {
        QStandardItem* r = row(name);
        ASSERT_NE(r, nullptr) << name;
        std::unique_ptr<QMenu> m = window->deviceMenu(tree()->visualRect(r->index()).center());
        ASSERT_TRUE(m) << "no menu for " << name;
        for (QAction* a : m->findChildren<QAction*>())
            if (a->text() == QString::fromUtf8(text)) {
                a->trigger();
                return;
            }
        FAIL() << "no menu entry " << text;
    }

    int handleOf(const std::string& name) { return DeviceRegistry::instance().handle(name); }

    std::unique_ptr<QtTessaly> window;
};

}  // namespace guitest
