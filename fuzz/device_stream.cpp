// A device's receive side fed by a peer on 127.0.0.1: the framing of the
// byte stream, the sorting into pushed messages, heartbeat replies and
// responses, and the family callbacks the pushed records reach.
//
// Input: the first byte chooses the family (FSU or fingerprint reader) and
// whether the rest goes out as it is; otherwise the rest is a list of
// messages, each a kind byte, a 16-bit length and that many bytes, which the
// peer frames (and, for pushed messages, enciphers) so that the dispatch
// behind the framing is reached too.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "Base/Codec.h"
#include "Base/MessageHead.h"
#include "Base/ThreadPool.h"
#include "Fpr/FprDevice.h"
#include "Fsu/FsuDevice.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::atomic<uint64_t> g_sink{0};

template <class Record>
void Touch(const Record& record) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&record);
    uint64_t sum = 0;
    for (size_t i = 0; i < sizeof record; ++i) sum += p[i];
    g_sink += sum;
}

int Listener(uint16_t* port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0)
        std::abort();
    socklen_t length = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    *port = ntohs(addr.sin_port);
    return fd;
}

bool ReadAll(int fd, uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t got = recv(fd, p, n, 0);
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

void Append(Bytes& stream, uint32_t type, uint32_t cmd, uint32_t identity, const uint8_t* plain,
            size_t length, bool encipher) {
    Bytes text(plain, plain + length);
    if (encipher && length > 0) {
        text.resize(tsl::EncodedPayloadSize(static_cast<uint32_t>(length)));
        uint32_t encoded = 0;
        if (tsl::EncodePayload(plain, static_cast<int32_t>(length), text.data(), &encoded) != 0) return;
        text.resize(encoded);
    }
    uint8_t head[tsl::kHeadSize];
    tsl::WriteHead(head, tsl::MakeHead(type, cmd, identity, static_cast<uint32_t>(text.size())));
    stream.insert(stream.end(), head, head + sizeof head);
    stream.insert(stream.end(), text.begin(), text.end());
}

// The commands a message of the list may carry.
constexpr uint32_t kCommands[] = {1800, 4800, 4801, 4802, 4803, 1007, 1036, 1008, 80, 2800};

Bytes StreamOf(uint32_t type, const uint8_t* data, size_t size) {
    Bytes stream;
    for (size_t i = 0; i + 3 <= size;) {
        const uint8_t kind = data[i];
        size_t length = data[i + 1] | (data[i + 2] << 8);
        i += 3;
        if (length > size - i) length = size - i;
        const uint8_t* body = data + i;
        i += length;
        if (kind & 0x80) {
            stream.insert(stream.end(), body, body + length);  // bytes as they are
            continue;
        }
        const uint32_t cmd = kCommands[(kind & 0x3F) % (sizeof kCommands / sizeof kCommands[0])];
        Append(stream, type, cmd, kind & 0x40 ? 0xFFFFFFFFu : 1, body, length, true);
    }
    return stream;
}

// Every task queued before it has run once all workers are held here at once.
void WaitForThePool() {
    constexpr int kWorkers = 16;
    struct Barrier {
        std::mutex m;
        std::condition_variable cv;
        int left = kWorkers;
    };
    auto barrier = std::make_shared<Barrier>();
    std::vector<std::future<void>> done;
    for (int i = 0; i < kWorkers; ++i)
        done.push_back(tsl::ThreadPool::Instance().Enqueue([barrier] {
            std::unique_lock<std::mutex> lock(barrier->m);
            if (--barrier->left == 0) barrier->cv.notify_all();
            barrier->cv.wait_for(lock, std::chrono::seconds(10), [&] { return barrier->left == 0; });
        }));
    for (auto& f : done)
        if (f.valid()) f.wait();
}

template <class Family>
void Run(uint16_t port, int listener, bool raw, const uint8_t* data, size_t size,
         void (*callbacks)(Family&)) {
    auto device = std::make_shared<Family>("127.0.0.1", port);
    device->setTimeoutMs(3000);
    device->setHandle(1);
    device->setRegistered(true);
    std::promise<void> closed;
    std::once_flag once;
    device->SetDisconnectHook([&](int) { std::call_once(once, [&] { closed.set_value(); }); });
    if (device->Connect() != 0) std::abort();
    int peer = accept(listener, nullptr, nullptr);
    if (peer < 0) std::abort();

    // The subscription request of the event setter, answered with success.
    std::promise<void> subscribed;
    std::thread answer([&] {
        uint8_t head[tsl::kHeadSize];
        if (ReadAll(peer, head, sizeof head)) {
            tsl::MessageHead h = tsl::ReadHead(head);
            Bytes text(h.length);
            if (ReadAll(peer, text.data(), text.size())) {
                Bytes reply;
                const uint8_t ok[4] = {};
                Append(reply, h.type, h.cmd, h.identity, ok, sizeof ok, true);
                send(peer, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
        }
        subscribed.get_future().wait();
        const Bytes stream = raw ? Bytes(data, data + size) : StreamOf(device->type(), data, size);
        send(peer, stream.data(), stream.size(), MSG_NOSIGNAL);
        shutdown(peer, SHUT_WR);
    });
    device->SetEventCallback([](int, auto record) { Touch(record); });
    if (callbacks) callbacks(*device);
    subscribed.set_value();
    answer.join();
    if (closed.get_future().wait_for(std::chrono::seconds(20)) != std::future_status::ready) std::abort();
    WaitForThePool();
    close(peer);
}

void FsuCallbacks(tsl::FsuDevice& d) {
    d.SetModbusDataCallback([](int, Np_FsuModbusData r) { Touch(r); });
    d.SetAnalogDataCallback([](int, Np_FsuAnalogData r) { Touch(r); });
    d.SetInputDataCallback([](int, Np_FsuInputData r) { Touch(r); });
    d.SetOutputDataCallback([](int, Np_FsuOutputData r) { Touch(r); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static uint16_t port = 0;
    static const int listener = Listener(&port);
    if (size < 1 || size > 1 << 16) return 0;
    const bool raw = data[0] & 0x80;
    if (data[0] & 1)
        Run<tsl::FprDevice>(port, listener, raw, data + 1, size - 1, nullptr);
    else
        Run<tsl::FsuDevice>(port, listener, raw, data + 1, size - 1, FsuCallbacks);
    return 0;
}
