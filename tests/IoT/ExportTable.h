// One table row per family export: the command and payload the simulator must
// decode, the reply record that must come back whole, and the failures that
// must leave the caller's record as it was. Also a collector for events.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "SimFixture.h"

namespace tsltest {

using devsim::Bytes;

// What the request payload must be.
enum class Shape {
    Empty,      // none
    Index,      // 32 bytes: the 8-bit argument, then zeros
    RecordKey,  // 32 bytes: byte 0 of the caller's output record, then zeros
    Whole,      // the caller's input record, unchanged
    Basic,      // subscription: 32 bytes, mode 1
    Full,       // subscription: 32 bytes, mode 2
};

// Calls the export with `in` as its input (record or 8-bit argument) and
// `out` as its output record.
using ExportCall = std::function<int(int handle, const Bytes& in, Bytes& out)>;

struct ExportRow {
    const char* name;
    uint32_t cmd;
    Shape shape;
    size_t inSize;
    size_t outSize;  // the reply record; 0: status only
    ExportCall call;
};

template <class T>
ExportRow Out(const char* name, uint32_t cmd, Shape shape, int (*fn)(int, T*)) {
    return {
        name,      cmd,
        shape,     0,
        sizeof(T), [fn](int h, const Bytes&, Bytes& out) { return fn(h, reinterpret_cast<T*>(out.data())); }};
}

template <class T>
ExportRow In(const char* name, uint32_t cmd, int (*fn)(int, T)) {
    return {name, cmd, Shape::Whole, sizeof(T), 0, [fn](int h, const Bytes& in, Bytes&) {
                T record;
                std::memcpy(&record, in.data(), sizeof record);
                return fn(h, record);
            }};
}

template <class Q, class T>
ExportRow InOut(const char* name, uint32_t cmd, int (*fn)(int, Q, T*)) {
    return {name, cmd, Shape::Whole, sizeof(Q), sizeof(T), [fn](int h, const Bytes& in, Bytes& out) {
                Q query;
                std::memcpy(&query, in.data(), sizeof query);
                return fn(h, query, reinterpret_cast<T*>(out.data()));
            }};
}

inline ExportRow Index(const char* name, uint32_t cmd, int (*fn)(int, uint8_t)) {
    return {name, cmd, Shape::Index, 1, 0, [fn](int h, const Bytes& in, Bytes&) { return fn(h, in[0]); }};
}

inline ExportRow Bare(const char* name, uint32_t cmd, int (*fn)(int)) {
    return {name, cmd, Shape::Empty, 0, 0, [fn](int h, const Bytes&, Bytes&) { return fn(h); }};
}

// Subscription setters: the call gets the handle only.
inline ExportRow Setter(const char* name, uint32_t cmd, Shape shape, std::function<int(int)> fn) {
    return {name, cmd, shape, 0, 0, [fn](int h, const Bytes&, Bytes&) { return fn(h); }};
}

inline Bytes Pattern(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13 + (i >> 8));
    return bytes;
}

// A key with the high bit set, so that a sign slip shows.
constexpr uint8_t kKey = 0xC5;

inline Bytes ExpectedPayload(const ExportRow& row, const Bytes& in, const Bytes& out) {
    Bytes keyed(32, 0);
    switch (row.shape) {
        case Shape::Empty:
            return {};
        case Shape::Index:
            keyed[0] = in[0];
            return keyed;
        case Shape::RecordKey:
            keyed[0] = out[0];
            return keyed;
        case Shape::Whole:
            return in;
        case Shape::Basic:
            keyed[0] = 1;
            return keyed;
        case Shape::Full:
            keyed[0] = 2;
            return keyed;
    }
    return {};
}

// Success against a patterned reply; then a refusal and malformed replies,
// none of which may touch the output record.
inline void CheckRow(SimLogin& sim, uint32_t type, const ExportRow& row) {
    SCOPED_TRACE(row.name);
    const Bytes reply = Pattern(row.outSize, 0x31);
    sim.device->SetHandler(row.cmd, [reply](const devsim::Request&) -> std::optional<Bytes> {
        return devsim::StatusPayload(0, reply);
    });

    Bytes in = Pattern(row.inSize, 0x52);
    Bytes out = Pattern(row.outSize, 0x77);
    if (!in.empty()) in[0] = kKey;
    if (!out.empty()) out[0] = kKey;
    const Bytes expected = ExpectedPayload(row, in, out);

    sim.server->ClearRequests();
    EXPECT_EQ(row.call(sim.handle, in, out), 0);
    auto requests = sim.server->RequestsFor(row.cmd);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].head.type, type);
    EXPECT_EQ(requests[0].plain, expected);
    EXPECT_EQ(out, reply);

    struct Case {
        devsim::Fault fault;
        int status;
    };
    std::vector<Case> cases = {{{devsim::Fault::ResultCode, 3}, -1003}};
    if (row.outSize) {
        cases.push_back({{devsim::Fault::SizeDelta, -1}, -17});
        cases.push_back({{devsim::Fault::SizeDelta, 1}, -17});
    } else {
        // Nothing beyond the result code is looked at.
        cases.push_back({{devsim::Fault::SizeDelta, 8}, 0});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault.value);
        sim.device->SetFault(row.cmd, c.fault);
        Bytes untouched = Pattern(row.outSize, 0x19);
        Bytes output = untouched;
        EXPECT_EQ(row.call(sim.handle, in, output), c.status);
        EXPECT_EQ(output, untouched);
        sim.device->ClearFault(row.cmd);
    }
}

// The export frame: an unknown handle and a device of another family get
// their codes and nothing is sent to either device.
inline void CheckFrame(SimLogin& sim, SimLogin& other, const ExportRow& row) {
    SCOPED_TRACE(row.name);
    constexpr int kUnknownHandle = 257;
    const size_t mine = sim.server->RequestsFor(row.cmd).size();
    Bytes in = Pattern(row.inSize, 1);
    Bytes untouched = Pattern(row.outSize, 2);
    Bytes out = untouched;
    EXPECT_EQ(row.call(kUnknownHandle, in, out), -1);
    EXPECT_EQ(row.call(other.handle, in, out), -2);
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(sim.server->RequestsFor(row.cmd).size(), mine);
    EXPECT_TRUE(other.server->RequestsFor(row.cmd).empty());
}

// Events as a family delivers them, from either callback form.
template <class Record>
class EventLog {
  public:
    struct Event {
        int handle;
        Bytes record;
    };

    std::function<void(int, Record)> Callback() {
        return [this](int handle, Record record) { Add(handle, record); };
    }
    // The pointer form; the context is the log.
    static void Collect(int handle, Record* record, void* context) {
        static_cast<EventLog*>(context)->Add(handle, *record);
    }

    // Generous: it ends as soon as the events are in, and sanitizer builds on a
    // busy machine deliver slowly.
    bool WaitFor(size_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, limit, [&] { return events_.size() >= count; });
    }
    std::vector<Event> Events() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

  private:
    void Add(int handle, const Record& record) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back({handle, BytesOf(record)});
        arrived_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Event> events_;
};

}  // namespace tsltest
