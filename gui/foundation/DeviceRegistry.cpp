#include "DeviceRegistry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "TslAcc.h"
#include "TslFpr.h"
#include "TslFsu.h"
#include "TslIoT.h"
#include "TslUit.h"

DeviceRegistry& DeviceRegistry::instance() {
    static DeviceRegistry registry;
    return registry;
}

DeviceRegistry::~DeviceRegistry() {
    writeAtExit();
}

int DeviceRegistry::add(Device device) {
    return addWith(std::move(device), true);
}

int DeviceRegistry::addLoaded(Device device) {
    return addWith(std::move(device), false);
}

int DeviceRegistry::addWith(Device device, bool save) {
    std::lock_guard<std::mutex> lock(mutex_);
    used_ = true;
    if (devices_.count(device.name)) return -1;
    device.handle = 0;
    devices_.emplace(device.name, std::move(device));
    if (save) saveLocked();
    return 0;
}

int DeviceRegistry::remove(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = devices_.find(name);
    if (it == devices_.end()) return -1;
    // The SDK never reports a logout through the disconnect road, so calling
    // it under the lock cannot wait on ourselves.
    if (it->second.handle > 0) TSL_NET_DEV_Logout(it->second.handle);
    devices_.erase(it);
    saveLocked();
    return 0;
}

int DeviceRegistry::get(Device& device) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = devices_.find(device.name);
    if (it == devices_.end()) return -1;
    device = it->second;
    return 0;
}

int DeviceRegistry::update(const Device& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = devices_.find(device.name);
    if (it == devices_.end()) return -1;
    Device& stored = it->second;
    stored.ip = device.ip;
    stored.port = device.port;
    stored.username = device.username;
    stored.password = device.password;
    saveLocked();
    return 0;
}

int DeviceRegistry::handle(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = devices_.find(name);
    return it == devices_.end() ? -1 : it->second.handle;
}

int DeviceRegistry::setHandle(const std::string& name, int handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = devices_.find(name);
    if (it == devices_.end()) return -1;
    it->second.handle = handle;
    return 0;
}

int DeviceRegistry::setInfoBlock(const std::string& name, const Np_LoginInfo& info) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = devices_.find(name);
    if (it == devices_.end()) return -1;
    std::memcpy(it->second.infoBlock.data(), info.data + kInfoBlockOffset, kInfoBlockSize);
    return 0;
}

QStandardItem* DeviceRegistry::itemByHandle(int handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& entry : devices_)
        if (entry.second.handle == handle) return entry.second.item;
    return nullptr;
}

std::string DeviceRegistry::nameByHandle(int handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& entry : devices_)
        if (entry.second.handle == handle) return entry.first;
    return {};
}

std::vector<Device> DeviceRegistry::devices() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Device> all;
    all.reserve(devices_.size());
    for (const auto& entry : devices_) all.push_back(entry.second);
    std::sort(all.begin(), all.end(), [](const Device& a, const Device& b) { return a.name < b.name; });
    return all;
}

const Device* DeviceRegistry::currentLocked() const {
    auto it = devices_.find(current_);
    return it == devices_.end() ? nullptr : &it->second;
}

int DeviceRegistry::currentHandle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Device* d = currentLocked();
    return d ? d->handle : 0;
}

InfoBlock DeviceRegistry::currentInfoBlock() const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Device* d = currentLocked();
    return d ? d->infoBlock : InfoBlock{};
}

std::string DeviceRegistry::currentName() const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Device* d = currentLocked();
    return d ? d->name : std::string("unknown");
}

int DeviceRegistry::currentType() const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Device* d = currentLocked();
    return d ? d->type : 0;
}

namespace {
DeviceRegistry::Waiter& waiter() {
    static DeviceRegistry::Waiter current = [](const std::function<void()>& call) { call(); };
    return current;
}
}  // namespace

void DeviceRegistry::setWaiter(Waiter w) {
    waiter() = w ? std::move(w) : [](const std::function<void()>& call) { call(); };
}

int unsubscribeEvents(int type, int handle) {
    switch (type) {
        case TSL_DEVICE_ACC:
            return TSL_NET_Acc_SetEventCallback(handle, static_cast<TSL_AccEventCallback>(nullptr));
        case TSL_DEVICE_IOT:
            return TSL_NET_IoT_SetEventCallback(handle, static_cast<TSL_IoTEventCallback>(nullptr));
        case TSL_DEVICE_FSU:
            return TSL_NET_FSU_SetEventCallback(handle, static_cast<TSL_FsuEventCallback>(nullptr));
        case TSL_DEVICE_FPR:
            return TSL_NET_FPR_SetEventCallback(handle, static_cast<TSL_FprEventCallback>(nullptr));
        case TSL_DEVICE_UIT:
            return TSL_NET_UIT_SetEventCallback(handle, static_cast<TSL_UitEventCallback>(nullptr));
        default:
            return 0;
    }
}

int DeviceRegistry::setCurrent(const std::string& name) {
    // Only the GUI thread changes the current name, so comparing without the
    // lock is safe; the lock is let go before the SDK is called, since
    // currentHandle takes it again.
    if (!name.empty() && name != current_) {
        int type = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (const Device* d = currentLocked()) type = d->type;
        }
        const int previous = currentHandle();
        // A fingerprint reader keeps its subscription when another device
        // becomes current; an NTP server has none.
        if (type != 0 && type != TSL_DEVICE_FPR && type != TSL_DEVICE_NTP)
            waiter()([type, previous] { unsubscribeEvents(type, previous); });
    }
    std::lock_guard<std::mutex> lock(mutex_);
    current_ = name;
    return 0;
}

namespace {

QJsonObject toJson(const Device& d) {
    QJsonObject o;
    o.insert("name", QString::fromStdString(d.name));
    o.insert("ip", QString::fromStdString(d.ip));
    o.insert("port", d.port);
    o.insert("type", d.type);
    o.insert("username", QString::fromStdString(d.username));
    o.insert("password", QString::fromStdString(d.password));
    return o;
}

size_t membersOf(const QJsonValue& value) {
    size_t n = 0;
    if (value.isObject()) {
        const QJsonObject o = value.toObject();
        n += static_cast<size_t>(o.size());
        for (const QJsonValue& v : o) n += membersOf(v);
    } else if (value.isArray()) {
        for (const QJsonValue& v : value.toArray()) n += membersOf(v);
    }
    return n;
}

// In JSON that parsed, one colon outside strings per member written.
size_t colonsOutsideStrings(const QByteArray& text) {
    size_t n = 0;
    bool inString = false;
    for (int i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == ':') {
            ++n;
        }
    }
    return n;
}

// Whether the list the registry would write from `records` (the first of a
// name wins, as adding them does) is the one read: if not, the next write
// would lose something the user put there. The parser keeps one member of
// a name given twice, so the text's members are counted as well.
bool takenAsItStands(const QByteArray& text, const QJsonObject& read, const std::vector<Device>& records) {
    QJsonObject written;
    for (const Device& d : records) {
        const QString name = QString::fromStdString(d.name);
        if (!written.contains(name)) written.insert(name, toJson(d));
    }
    return written == read && colonsOutsideStrings(text) == membersOf(read);
}

// The SDK log's levels.
constexpr int kLogError = 0;
constexpr int kLogWarn = 1;

// Said on standard error and in the program's log too: a box at start is
// gone once answered, and at exit no window is left for one.
void tell(int level, const QString& text) {
    const QByteArray line = text.toUtf8();
    std::fprintf(stderr, "QtTessaly: %s\n", line.constData());
    TSL_NET_DEV_WriteLog(level, line.constData());
}

// A copy beside the list that holds `bytes` already, "<list>.<why>-..."
// spelled as the list's path is; empty when there is none. A list the exit
// cannot rewrite comes up the same at every start.
QString copyHolding(const QString& path, const char* why, const QByteArray& bytes) {
    const QFileInfo list(path);
    const QString prefix = list.fileName() + QLatin1Char('.') + QLatin1String(why) + QLatin1Char('-');
    const QFileInfoList beside = list.absoluteDir().entryInfoList(
        QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& copy : beside) {
        if (!copy.fileName().startsWith(prefix) || copy.size() != bytes.size()) continue;
        QFile file(copy.filePath());
        if (file.open(QIODevice::ReadOnly) && file.readAll() == bytes)
            return path + copy.fileName().mid(list.fileName().size());
    }
    return QString();
}

// A name beside the list no file has yet: "<list>.<why>-<time>".
QString asideName(const QString& path, const char* why) {
    const QString base = path + QLatin1Char('.') + QLatin1String(why) + QLatin1Char('-') +
                         QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
    QString name = base;
    for (int n = 2; QFileInfo(name).exists() || QFileInfo(name).isSymLink(); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

}  // namespace

void DeviceRegistry::keepAside(const QString& path, const char* why, const QByteArray* read, LoadNote& note) {
    // A list that was read stays where it is, so a kill before the next write
    // still finds it; one that could not be read gives way to a fresh list.
    const bool move = read == nullptr;
    QString aside = move ? QString() : copyHolding(path, why, *read);
    const bool before = !aside.isEmpty();
    bool kept = before;
    if (!before) {
        aside = asideName(path, why);
        kept = move ? QFile::rename(path, aside) : QFile::copy(path, aside);
        // It holds passwords in clear.
        if (kept && !move) QFile::setPermissions(aside, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    if (kept) {
        note.kind = LoadNote::KeptAside;
        note.kept = aside;
    } else {
        std::lock_guard<std::mutex> lock(mutex_);
        keepList_ = true;
        note.kind = LoadNote::LeftAlone;
    }
    const QString what = QStringLiteral("the saved device list %1 cannot be taken as it stands (%2); ")
                             .arg(path, QLatin1String(why));
    if (before)
        tell(kLogWarn, what + QStringLiteral("a copy of it was kept before, as ") + aside);
    else if (kept)
        tell(kLogWarn, what + QStringLiteral("it was kept as ") + aside);
    else
        tell(kLogWarn, what + QStringLiteral("no copy of it could be kept, so it will not be overwritten"));
}

std::vector<Device> DeviceRegistry::load(LoadNote* note) {
    LoadNote unused;
    LoadNote& out = note ? *note : unused;
    out = LoadNote{};
    QString path;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        used_ = true;
        path = path_;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        // None yet is a first start; one that is there but will not open
        // (no permission, a folder) must not be written over at exit.
        if (QFileInfo(path).exists()) keepAside(path, "unreadable", nullptr, out);
        return {};
    }
    // The list is the local 8-bit code page's text, which is UTF-8 here.
    const QByteArray text = file.readAll();
    const bool readWhole = file.error() == QFileDevice::NoError;
    file.close();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (!readWhole || error.error != QJsonParseError::NoError || !doc.isObject()) {
        keepAside(path, "unreadable", nullptr, out);
        return {};
    }
    std::vector<Device> list;
    const QJsonObject top = doc.object();
    for (auto it = top.begin(); it != top.end(); ++it) {  // key order
        const QJsonObject o = it.value().toObject();
        Device d;
        d.name = o.value("name").toString().toStdString();
        d.ip = o.value("ip").toString().toStdString();
        d.port = o.value("port").toInt();
        d.type = o.value("type").toInt();
        d.username = o.value("username").toString().toStdString();
        d.password = o.value("password").toString().toStdString();
        list.push_back(std::move(d));
    }
    if (!takenAsItStands(text, top, list)) keepAside(path, "dropped", &text, out);
    return list;
}

bool DeviceRegistry::save() {
    std::lock_guard<std::mutex> lock(mutex_);
    used_ = true;
    return saveLocked();
}

void DeviceRegistry::writeAtExit() {
    std::lock_guard<std::mutex> lock(mutex_);
    // A list left alone on purpose was said to be so at start.
    if (!used_ || keepList_) return;
    // The window writes the list as it goes and the registry once more as the
    // process ends: the second has nothing new to write, nor to say.
    used_ = false;
    if (saveLocked()) return;
    tell(kLogError, QStringLiteral("the saved device list %1 could not be written as the program ends (%2); "
                                   "the file stays as it was")
                        .arg(path_, writeError_));
}

bool DeviceRegistry::saved() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return saved_;
}

bool DeviceRegistry::saveLocked() {
    saved_ = false;
    if (keepList_) return false;
    QJsonObject top;
    for (const auto& entry : devices_) top.insert(QString::fromStdString(entry.first), toJson(entry.second));
    // Line ends as the list has always had them, so lists move between systems.
    QByteArray text = QJsonDocument(top).toJson(QJsonDocument::Indented);
    text.replace("\n", "\r\n");
    // A temporary file renamed over the old one: a crash, a kill or a full
    // disk leaves the previous list whole.
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        writeError_ = file.errorString();
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // The text waits in the file's buffer: a write the disk refuses shows
    // only at the flush, which commit alone would not heed, renaming a short
    // file over the list.
    if (file.write(text) != text.size() || !file.flush()) {
        writeError_ = file.errorString();
        file.cancelWriting();
        return false;
    }
    saved_ = file.commit();
    writeError_ = saved_ ? QString() : file.errorString();
    return saved_;
}

void DeviceRegistry::setFilePath(const QString& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = path;
}

QString DeviceRegistry::filePath() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return path_;
}

void DeviceRegistry::resetForTests() {
    std::lock_guard<std::mutex> lock(mutex_);
    devices_.clear();
    current_.clear();
    path_ = QStringLiteral("./devices.bin");
    used_ = false;
    keepList_ = false;
    saved_ = true;
    writeError_.clear();
}
