// tessaly-screenshots OUTDIR: one picture of every page of the desktop
// program, and of the main window and its dialogs, rendered offscreen
// against simulated devices on 127.0.0.1 in this process.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QMenu>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "ConfigBackupDialog.h"
#include "DevSim.h"
#include "DeviceAddDialog.h"
#include "DeviceRegistry.h"
#include "FirmwareUpdateDialog.h"
#include "GuiResources.h"
#include "PasswordModifyDialog.h"
#include "Plausible.h"
#include "Prompt.h"
#include "QtTessaly.h"
#include "Seeds.h"

namespace {

const char* const kFont = "WenQuanYi Micro Hei";
const char* const kFontFile = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";

// Yes to every question, cancel to every file dialog, no box shown.
class QuietPrompt : public Prompt {
  public:
    void information(QWidget*, const QString&, const QString&) override {}
    void warning(QWidget*, const QString&, const QString&) override {}
    bool question(QWidget*, const QString&, const QString&) override { return true; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
};

// The device a page is shown with: the type whose function button opens it;
// the common pages with the access controller.
int typeOfPage(int page) {
    const int type = pageButton(page).type;
    return type != 0 ? type : TSL_DEVICE_ACC;
}

std::string deviceName(int type) {
    return std::string("模拟") + kTypeNames[type - kFirstType];
}

void settle(int ms = 30) {
    for (int i = 0; i < ms / 5; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
}

bool save(QWidget* widget, const QString& file) {
    settle();
    const bool ok = widget->grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
    return ok;
}

void useChineseFont() {
    if (!QFontDatabase().families().contains(QString::fromLatin1(kFont)))
        QFontDatabase::addApplicationFont(QString::fromLatin1(kFontFile));
    if (!QFontDatabase().families().contains(QString::fromLatin1(kFont)))
        std::fprintf(stderr, "tessaly-screenshots: the font %s is missing; Chinese text will not render\n",
                     kFont);
    // DejaVu first: the Chinese font claims signs such as "℃" but draws them
    // empty, so Qt would never fall back for them.
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QString::fromLatin1(kFont)});
    font.setPointSize(9);
    QApplication::setFont(font);
}

void selectDevice(QtTessaly& window, int type) {
    if (QStandardItem* row = window.deviceRow(deviceName(type)))
        window.findChild<QTreeView*>("deviceTreeView")->setCurrentIndex(row->index());
}

void loginAll(QtTessaly& window) {
    auto* tree = window.findChild<QTreeView*>("deviceTreeView");
    tree->expandAll();
    settle();
    for (int type = kFirstType; type < kFirstType + kTypeCount; ++type) {
        QStandardItem* row = window.deviceRow(deviceName(type));
        if (!row) continue;
        std::unique_ptr<QMenu> menu = window.deviceMenu(tree->visualRect(row->index()).center());
        if (!menu) continue;
        for (QAction* action : menu->findChildren<QAction*>())
            if (action->text() == QString::fromUtf8("登录")) action->trigger();
    }
}

// A few found devices, as a search on a site's network might list them.
void showFoundDevices(QtTessaly& window) {
    auto* view = window.findChild<QTableView*>("deviceTableView");
    auto* model = qobject_cast<QStandardItemModel*>(view->model());
    std::vector<Np_SearchInfo> list(3);
    std::memset(list.data(), 0, list.size() * sizeof(Np_SearchInfo));
    const char* names[] = {"一号门禁", "机房动环", "物联网关"};
    const uint32_t types[] = {TSL_DEVICE_ACC, TSL_DEVICE_FSU, TSL_DEVICE_IOT};
    for (int i = 0; i < 3; ++i) {
        Np_SearchInfo& r = list[i];
        std::snprintf(r.serialNumber, sizeof r.serialNumber, "TS2024%06d", 1201 + i);
        std::snprintf(r.deviceName, sizeof r.deviceName, "%s", names[i]);
        std::snprintf(r.deviceTypeName, sizeof r.deviceTypeName, "%s", kTypeNames[types[i] - kFirstType]);
        std::snprintf(r.firmwareVersion, sizeof r.firmwareVersion, "V2.1.%d", i);
        r.port = 6500;
        std::snprintf(r.mac, sizeof r.mac, "02:5a:00:00:10:%02x", i + 1);
        std::snprintf(r.ip, sizeof r.ip, "192.168.1.%d", 20 + i);
        std::snprintf(r.subnetMask, sizeof r.subnetMask, "255.255.255.0");
        std::snprintf(r.gateway, sizeof r.gateway, "192.168.1.1");
        r.activated = i != 2;
        std::snprintf(r.client1, sizeof r.client1, "192.168.1.100");
        std::snprintf(r.hardwareVersion, sizeof r.hardwareVersion, "HW-%d", 3 + i);
        r.deviceType = types[i];
    }
    QtTessaly::fillSearchModel(*model, list.data(), static_cast<int>(list.size()));
    view->resizeColumnsToContents();  // as a search does
}

void saveDialogs(const QDir& out) {
    Device found;
    found.name = found.ip = "192.168.1.22";
    found.type = TSL_DEVICE_IOT;
    DeviceAddDialog add(false, found);
    add.setActivateMode();
    add.show();
    save(&add, out.filePath("dialog-DeviceAddDialog.png"));
    ConfigBackupDialog backup;
    backup.show();
    save(&backup, out.filePath("dialog-ConfigBackupDialog.png"));
    FirmwareUpdateDialog upgrade;
    upgrade.show();
    save(&upgrade, out.filePath("dialog-FirmwareUpdateDialog.png"));
    PasswordModifyDialog password;
    password.show();
    save(&password, out.filePath("dialog-PasswordModifyDialog.png"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tessaly-screenshots OUTDIR\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    initGuiResources();
    useChineseFont();
    QDir out(QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "tessaly-screenshots: cannot make %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path())) return 1;

    QuietPrompt prompt;
    Prompt::install(&prompt);

    // One simulated device of each type, with the records of one in service,
    // saved in the list the window loads.
    std::vector<std::shared_ptr<devsim::SimDevice>> devices;
    std::vector<std::unique_ptr<devsim::SimServer>> servers;
    for (int type = kFirstType; type < kFirstType + kTypeCount; ++type) {
        devices.push_back(std::make_shared<devsim::SimDevice>(type));
        devsim::plausible::Apply(*devices.back());
        servers.push_back(std::make_unique<devsim::SimServer>(devices.back()));
        Device d;
        d.name = deviceName(type);
        d.ip = "127.0.0.1";
        d.port = servers.back()->Port();
        d.type = type;
        d.username = "admin";
        d.password = "admin123";
        DeviceRegistry::instance().add(d);
    }
    DeviceRegistry::instance().resetForTests();  // the window reads the list as at a program start

    int failures = 0;
    {
        QtTessaly window;
        window.show();
        loginAll(window);
        auto* stack = window.findChild<QStackedWidget*>("stackedWidget");
        for (int page = 0; page < stack->count(); ++page) {
            const int type = typeOfPage(page);
            selectDevice(window, type);
            stack->setCurrentIndex(page);
            QWidget* shown = stack->widget(page);
            for (const shots::Seed& seed : shots::seedsFor(shown->metaObject())) {
                if (seed.fill) seed.fill(*devices[type - kFirstType]);
                for (const std::string& name : seed.buttons) {
                    auto* button = shown->findChild<QAbstractButton*>(QString::fromStdString(name));
                    if (button && button->isEnabled())
                        button->click();
                    else
                        std::fprintf(stderr, "tessaly-screenshots: page %d has no enabled button %s\n", page,
                                     name.c_str());
                    settle();
                }
            }
            const QString file = QString::asprintf("%02d-%s.png", page, shown->metaObject()->className());
            if (!save(&window, out.filePath(file))) ++failures;
        }
        selectDevice(window, kFirstType);
        stack->setCurrentIndex(PageIndex<NetworkConfigForm>);
        showFoundDevices(window);
        if (!save(&window, out.filePath("main-QtTessaly.png"))) ++failures;
        saveDialogs(out);
    }
    Prompt::install(nullptr);
    return failures == 0 ? 0 : 1;
}
