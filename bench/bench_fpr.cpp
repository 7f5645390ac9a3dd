// Fingerprint user records (51,336 bytes) uploaded and downloaded through the
// SDK against the simulator, beside a plain TCP ping-pong of the same bytes
// between 127.0.0.1 endpoints: what the head, the cipher and the request
// matching cost on top of moving the bytes.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "DevSim.h"
#include "TslFpr.h"

namespace {

constexpr size_t kUserSize = sizeof(Np_FprUserData);
constexpr size_t kKeySize = sizeof(Np_FprUserKey);
constexpr size_t kResultSize = 4;

std::unique_ptr<Np_FprUserData> MakeUser() {
    auto user = std::make_unique<Np_FprUserData>();
    for (size_t i = 0; i < kUserSize; ++i) user->data[i] = static_cast<uint8_t>(i * 31 + 7);
    return user;
}

Np_FprUserKey KeyOf(const Np_FprUserData& user) {
    Np_FprUserKey key;
    std::memcpy(&key, &user, sizeof key);
    return key;
}

struct Reader {
    std::shared_ptr<devsim::SimDevice> device = std::make_shared<devsim::SimDevice>(104);
    devsim::SimServer server{device};
    int handle = 0;

    Reader() {
        server.SetRecordRequests(false);
        Np_LoginInfo info{};
        handle = TSL_NET_DEV_Login(104, "127.0.0.1", server.Port(), "admin", "admin123", 5000, &info);
    }
    ~Reader() {
        if (handle > 0) TSL_NET_DEV_Logout(handle);
    }
};

void Report(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kUserSize));
    state.counters["round_trips"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_SdkUpload(benchmark::State& state) {
    Reader reader;
    if (reader.handle <= 0) return state.SkipWithError("login failed");
    auto user = MakeUser();
    for (auto _ : state) {
        if (TSL_NET_FPR_SetUserData(reader.handle, *user) != 0) return state.SkipWithError("upload failed");
    }
    Report(state);
}

void BM_SdkDownload(benchmark::State& state) {
    Reader reader;
    if (reader.handle <= 0) return state.SkipWithError("login failed");
    auto user = MakeUser();
    if (TSL_NET_FPR_AddUserData(reader.handle, *user) != 0) return state.SkipWithError("add failed");
    auto read = std::make_unique<Np_FprUserData>();
    const Np_FprUserKey key = KeyOf(*user);
    for (auto _ : state) {
        if (TSL_NET_FPR_GetUserData(reader.handle, key, read.get()) != 0)
            return state.SkipWithError("download failed");
    }
    if (std::memcmp(read.get(), user.get(), kUserSize) != 0) state.SkipWithError("record changed on the way");
    Report(state);
}

bool ReadAll(int fd, uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t got = ::recv(fd, p, n, 0);
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

bool WriteAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t put = ::send(fd, p, n, MSG_NOSIGNAL);
        if (put <= 0) return false;
        p += put;
        n -= static_cast<size_t>(put);
    }
    return true;
}

void NoDelay(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// A loopback peer that answers every `requestSize` bytes with `replySize`.
class RawPeer {
  public:
    RawPeer(size_t requestSize, size_t replySize) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listener_, 1);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);

        server_ = std::thread([this, requestSize, replySize] {
            int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0) return;
            NoDelay(fd);
            std::vector<uint8_t> request(requestSize), reply(replySize, 0x5A);
            while (ReadAll(fd, request.data(), request.size()) && WriteAll(fd, reply.data(), reply.size())) {
            }
            ::close(fd);
        });

        client_ = ::socket(AF_INET, SOCK_STREAM, 0);
        connected_ = ::connect(client_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        NoDelay(client_);
    }
    ~RawPeer() {
        ::shutdown(client_, SHUT_RDWR);
        ::close(client_);
        ::shutdown(listener_, SHUT_RDWR);
        server_.join();
        ::close(listener_);
    }

    bool connected() const { return connected_; }
    bool RoundTrip(const std::vector<uint8_t>& request, std::vector<uint8_t>& reply) {
        return WriteAll(client_, request.data(), request.size()) &&
               ReadAll(client_, reply.data(), reply.size());
    }

  private:
    int listener_ = -1;
    int client_ = -1;
    bool connected_ = false;
    std::thread server_;
};

// Upload: the record up, a result code back; download: a key up, the
// result code and the record back.
void BM_RawPingPong(benchmark::State& state, size_t up, size_t down) {
    RawPeer peer(up, down);
    if (!peer.connected()) return state.SkipWithError("connect failed");
    std::vector<uint8_t> request(up, 0xA5), reply(down);
    for (auto _ : state) {
        if (!peer.RoundTrip(request, reply)) return state.SkipWithError("round trip failed");
    }
    Report(state);
}

BENCHMARK(BM_SdkUpload)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RawPingPong, upload, kUserSize, kResultSize)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdkDownload)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RawPingPong, download, kKeySize, kResultSize + kUserSize)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
