#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include <cstring>

#include "DeviceAddDialog.h"
#include "PageKit.h"
#include "PasswordModifyDialog.h"
#include "ShellHelpers.h"
#include "TslDev.h"

using guitest::ShellTest;

namespace {

Np_SearchInfo found(const char* ip, uint32_t port, uint32_t type, bool activated) {
    Np_SearchInfo r{};
    std::strcpy(r.serialNumber, "SN-1");
    std::strcpy(r.ip, ip);
    r.port = port;
    r.deviceType = type;
    r.activated = activated ? 1 : 0;
    return r;
}

class DeviceDialogs : public ShellTest {
  protected:
    // One search row, selected, then "设备添加" with `fill` run inside the dialog.
    void addFromSearch(const Np_SearchInfo& record, std::function<void(QWidget*)> fill) {
        auto* view = guitest::child<QTableView>(window.get(), "deviceTableView");
        auto* model = qobject_cast<QStandardItemModel*>(view->model());
        model->removeRows(0, model->rowCount());
        QtTessaly::fillSearchModel(*model, &record, 1);
        view->setCurrentIndex(model->index(0, 0));
        guitest::onModal(std::move(fill));
        guitest::click(window.get(), "devAddButton");
    }
    QString savedPassword(const char* name) {
        QFile f(path("devices.bin"));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(f.readAll())
            .object()
            .value(name)
            .toObject()
            .value("password")
            .toString();
    }
};

}  // namespace

TEST_F(DeviceDialogs, AddFormModes) {
    Device d;
    d.name = "dev";
    d.ip = "10.0.0.9";
    d.type = 107;  // no such type: the first stays selected
    d.username = "operator";
    d.password = "pw";
    d.handle = 9;
    d.infoBlock[3] = 77;
    {
        DeviceAddDialog add(false, d);
        EXPECT_EQ(add.windowTitle(), QString::fromUtf8("设备添加"));
        EXPECT_EQ(guitest::child<QLineEdit>(&add, "devPortEdit")->text(), "6500");
        EXPECT_EQ(guitest::child<QLineEdit>(&add, "usernameEdit")->text(), "admin");
        EXPECT_EQ(guitest::child<QComboBox>(&add, "devTypeComboBox")->currentData().toInt(), 100);
        add.setActivateMode();
        EXPECT_EQ(add.windowTitle(), QString::fromUtf8("设备添加并激活"));
        EXPECT_EQ(guitest::child<QPushButton>(&add, "addButton")->text(), QString::fromUtf8("添加并激活"));
        int emitted = 0;
        QObject::connect(&add, &DeviceAddDialog::AddDevice, [&](Device) { ++emitted; });
        guitest::click(&add, "cancelButton");
        EXPECT_EQ(emitted, 0);
    }
    d.type = 102;
    d.port = 9000;
    DeviceAddDialog edit(true, d);
    EXPECT_EQ(edit.windowTitle(), QString::fromUtf8("设备属性"));
    EXPECT_TRUE(guitest::child<QLineEdit>(&edit, "devNameEdit")->isReadOnly());
    EXPECT_FALSE(guitest::child<QComboBox>(&edit, "devTypeComboBox")->isEnabled());
    EXPECT_EQ(guitest::child<QLineEdit>(&edit, "usernameEdit")->text(), "operator");
    guitest::typeInto(guitest::child<QLineEdit>(&edit, "devPortEdit"), "9001");
    Device out;
    QObject::connect(&edit, &DeviceAddDialog::AddDevice, [&](Device got) { out = got; });
    guitest::click(&edit, "addButton");
    EXPECT_EQ(out.name, "dev");
    EXPECT_EQ(out.port, 9001);
    EXPECT_EQ(out.type, 102);
    EXPECT_EQ(out.handle, 9);
    EXPECT_EQ(out.infoBlock[3], 77);
}

TEST_F(DeviceDialogs, PasswordFieldsTakeOnlyWhatADeviceAccepts) {
    DeviceAddDialog add(false, Device{});
    PasswordModifyDialog change;
    for (QLineEdit* edit :
         {guitest::child<QLineEdit>(&add, "passwordEdit"), guitest::child<QLineEdit>(&change, "passwordEdit"),
          guitest::child<QLineEdit>(&change, "rePasswordEdit")}) {
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
        guitest::typeInto(edit, QString::fromUtf8("ab c密!@#$%^&*()_+{}|:\"<>?`-=[];',./~0123456789"));
        EXPECT_EQ(edit->text(), "abc!@#$%^&*()_+") << "no space, no Chinese, at most 15";
    }
    auto* clear = guitest::child<QCheckBox>(&change, "passwordCheckBox");
    clear->setChecked(true);
    EXPECT_EQ(guitest::child<QLineEdit>(&change, "rePasswordEdit")->echoMode(), QLineEdit::Normal);
    clear->setChecked(false);
    EXPECT_EQ(guitest::child<QLineEdit>(&change, "passwordEdit")->echoMode(), QLineEdit::Password);
}

TEST_F(DeviceDialogs, AddFromTheSearchTableRefusesDuplicates) {
    openWindow();
    for (int round = 0; round < 2; ++round) {
        addFromSearch(found("10.1.2.3", 0, 101, true), [](QWidget* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("设备添加"));
            EXPECT_EQ(guitest::child<QLineEdit>(dialog, "devNameEdit")->text(), "10.1.2.3");
            EXPECT_EQ(guitest::child<QComboBox>(dialog, "devTypeComboBox")->currentData().toInt(), 101);
            guitest::click(dialog, "addButton");
        });
    }
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("请勿重复添加设备！"));
    auto* model = qobject_cast<QStandardItemModel*>(tree()->model());
    EXPECT_EQ(model->item(1)->rowCount(), 1);
    Device d;
    d.name = "10.1.2.3";
    ASSERT_EQ(DeviceRegistry::instance().get(d), 0);
    EXPECT_EQ(d.port, 6500);
    EXPECT_TRUE(offline("10.1.2.3"));
}

TEST_F(DeviceDialogs, AddAndActivateGivesTheFirstPasswordAndMakesItCurrent) {
    saved(100, "other");
    openWindow();
    select("other");
    auto unit = std::make_shared<devsim::SimDevice>(103, "admin", "First-1");
    devsim::SimServer server(unit);

    addFromSearch(found("127.0.0.1", server.Port(), 103, false), [](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("设备添加并激活"));
        guitest::typeInto(guitest::child<QLineEdit>(dialog, "passwordEdit"), "First-1");
        guitest::click(dialog, "addButton");
    });
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    EXPECT_TRUE(online("127.0.0.1"));
    EXPECT_EQ(DeviceRegistry::instance().currentName(), "127.0.0.1");
    EXPECT_EQ(guitest::child<QLabel>(window.get(), "deviceLabel")->text(), "127.0.0.1");
    EXPECT_EQ(guitest::child<QPushButton>(window.get(), "subButton_1")->text(),
              QString::fromUtf8("基础信息"));
    const auto set = server.RequestsFor(1003);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_STREQ(reinterpret_cast<const char*>(set[0].plain.data()), "First-1");
    menu("127.0.0.1", "删除");
    prompt.takeAll();

    // A login that fails: the warning, and the device stays saved and offline.
    unit->SetCredentials("admin", "unknown");
    addFromSearch(found("127.0.0.1", server.Port(), 103, false), [](QWidget* dialog) {
        guitest::typeInto(guitest::child<QLineEdit>(dialog, "passwordEdit"), "First-1");
        guitest::click(dialog, "addButton");
    });
    const guitest::Box box = prompt.take();
    EXPECT_TRUE(box.text.startsWith(QString::fromUtf8("登录失败！ret = -10"))) << box.text.toStdString();
    EXPECT_TRUE(offline("127.0.0.1"));
    EXPECT_EQ(handleOf("127.0.0.1"), 0);
}

TEST_F(DeviceDialogs, AnActivationLostRightAfterItsLoginSetsNoPassword) {
    openWindow();
    auto unit = std::make_shared<devsim::SimDevice>(101, "admin", "First-1");
    unit->SetFault(1001, {devsim::Fault::CloseAfterReply, 0, std::chrono::milliseconds(300)});
    devsim::SimServer server(unit);
    guitest::holdWindowThroughLoginClose(server);
    addFromSearch(found("127.0.0.1", server.Port(), 101, false), [](QWidget* dialog) {
        guitest::typeInto(guitest::child<QLineEdit>(dialog, "passwordEdit"), "First-1");
        guitest::click(dialog, "addButton");
    });
    const guitest::Box box = prompt.take();
    EXPECT_EQ(box.text, QString::fromUtf8("登录失败！ret = -1,") + kit::errorText(-1));
    EXPECT_TRUE(offline("127.0.0.1"));
    EXPECT_EQ(handleOf("127.0.0.1"), 0);
    EXPECT_TRUE(server.RequestsFor(1003).empty());
}

TEST_F(DeviceDialogs, AnEditWhileTheDeviceDropsKeepsItOffline) {
    guitest::SimUnit& unit = saved(100, "dev");
    openWindow();
    menu("dev", "登录");
    prompt.takeAll();
    guitest::onModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("设备属性"));
        unit.server->CloseConnections();
        EXPECT_TRUE(guitest::waitFor([&] { return offline("dev"); }));
        guitest::typeInto(guitest::child<QLineEdit>(dialog, "devPortEdit"), "9999");
        guitest::click(dialog, "addButton");
    });
    menu("dev", "属性");
    Device d;
    d.name = "dev";
    ASSERT_EQ(DeviceRegistry::instance().get(d), 0);
    EXPECT_EQ(d.port, 9999);
    EXPECT_EQ(d.handle, 0);
    EXPECT_EQ(d.item, row("dev"));
    EXPECT_TRUE(offline("dev"));
}

TEST_F(DeviceDialogs, APasswordChangeIsKeptForTheNextLogin) {
    guitest::SimUnit& unit = saved(101, "dev");
    openWindow();
    select("dev");
    menu("dev", "登录");
    prompt.takeAll();
    {
        PasswordModifyDialog dialog(window.get());
        guitest::typeInto(guitest::child<QLineEdit>(&dialog, "passwordEdit"), "New-pass9");
        guitest::typeInto(guitest::child<QLineEdit>(&dialog, "rePasswordEdit"), "New-pass8");
        guitest::click(&dialog, "setButton");
        EXPECT_EQ(prompt.take().text, QString::fromUtf8("两次密码不一致！"));
        EXPECT_EQ(unit.count(1003), 0u);
        guitest::typeInto(guitest::child<QLineEdit>(&dialog, "rePasswordEdit"), "New-pass9");
        guitest::click(&dialog, "setButton");
        EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    }
    EXPECT_EQ(unit.device->Password(), "New-pass9");
    EXPECT_EQ(savedPassword("dev"), "New-pass9");
    menu("dev", "注销");
    menu("dev", "登录");
    const auto boxes = prompt.takeAll();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, QString::fromUtf8("执行成功！"));
    EXPECT_TRUE(online("dev"));

    // Refused by the device: the failure box, the stored password unchanged.
    unit.device->SetFault(1003, {devsim::Fault::ResultCode, 7});
    PasswordModifyDialog dialog(window.get());
    guitest::typeInto(guitest::child<QLineEdit>(&dialog, "passwordEdit"), "x");
    guitest::typeInto(guitest::child<QLineEdit>(&dialog, "rePasswordEdit"), "x");
    guitest::click(&dialog, "setButton");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行失败！ret = -1007,") + kit::errorText(-1007));
    EXPECT_EQ(savedPassword("dev"), "New-pass9");
}

TEST_F(DeviceDialogs, AChangeTheListCannotTakeSaysSoAndHoldsForTheSession) {
    guitest::SimUnit& unit = saved(100, "dev");
    saved(101, "gone");
    openWindow();
    select("dev");
    menu("dev", "登录");
    prompt.takeAll();
    // A folder in the list's place: no write replaces it, root's neither.
    ASSERT_TRUE(QFile::remove(path("devices.bin")));
    ASSERT_TRUE(QDir(path("")).mkdir("devices.bin"));
    const QString unsaved = QString::fromUtf8("设备列表保存失败！");
    auto onlyTheFailure = [&](const char* what, const QString& text) {
        const auto boxes = prompt.takeAll();
        ASSERT_EQ(boxes.size(), 1u) << what;
        EXPECT_EQ(boxes[0].kind, Prompt::Warning) << what;
        EXPECT_EQ(boxes[0].text, text) << what;
    };

    menu("gone", "删除");
    onlyTheFailure("delete", unsaved);
    EXPECT_EQ(row("gone"), nullptr);

    guitest::onModal([](QWidget* dialog) {
        guitest::typeInto(guitest::child<QLineEdit>(dialog, "devPortEdit"), "9999");
        guitest::click(dialog, "addButton");
    });
    menu("dev", "属性");
    onlyTheFailure("edit", unsaved);

    {
        PasswordModifyDialog dialog(window.get());
        guitest::typeInto(guitest::child<QLineEdit>(&dialog, "passwordEdit"), "New-pass9");
        guitest::typeInto(guitest::child<QLineEdit>(&dialog, "rePasswordEdit"), "New-pass9");
        guitest::click(&dialog, "setButton");
        // The device has the new password though the list does not: said in
        // the one box, so the user knows which to trust at the next login.
        onlyTheFailure("password change", QString::fromUtf8("设备密码已修改，但设备列表保存失败！"));
    }
    EXPECT_EQ(unit.device->Password(), "New-pass9");

    addFromSearch(found("10.1.2.3", 0, 101, true),
                  [](QWidget* dialog) { guitest::click(dialog, "addButton"); });
    onlyTheFailure("add", unsaved);
    EXPECT_NE(row("10.1.2.3"), nullptr);

    auto fresh = std::make_shared<devsim::SimDevice>(103, "admin", "First-1");
    devsim::SimServer server(fresh);
    addFromSearch(found("127.0.0.1", server.Port(), 103, false), [](QWidget* dialog) {
        guitest::typeInto(guitest::child<QLineEdit>(dialog, "passwordEdit"), "First-1");
        guitest::click(dialog, "addButton");
    });
    onlyTheFailure("add and activate", unsaved);
    EXPECT_TRUE(online("127.0.0.1"));

    // Writable again: the next change writes all the session holds, and says
    // what it always said.
    ASSERT_TRUE(QDir(path("")).rmdir("devices.bin"));
    menu("10.1.2.3", "删除");
    EXPECT_EQ(prompt.take().text, QString::fromUtf8("执行成功！"));
    QFile f(path("devices.bin"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonObject list = QJsonDocument::fromJson(f.readAll()).object();
    EXPECT_EQ(list.keys(), (QStringList{"127.0.0.1", "dev"}));
    EXPECT_EQ(list.value("dev").toObject().value("port").toInt(), 9999);
    EXPECT_EQ(list.value("dev").toObject().value("password").toString(), "New-pass9");
}
