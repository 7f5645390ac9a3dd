// What the family suites share: one table row per export (the request the
// simulator must decode, the reply that must come back whole, the failures
// that must not touch the caller's record) and a collector for delivered
// events.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "SimFixture.h"

namespace tsltest {

using devsim::Bytes;
using namespace std::chrono_literals;

inline Bytes Pattern(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13 + (i >> 8));
    return bytes;
}

// A key with the high bit set, so that a sign slip shows.
constexpr uint8_t kKey = 0xC5;

// `in`: the by-value record or argument handed to the export; `out`: the
// caller's output record.
using ExportCall = std::function<int(int handle, const Bytes& in, Bytes& out)>;
using RequestOf = std::function<Bytes(const Bytes& in, const Bytes& out)>;

struct ExportRow {
    const char* name;
    uint32_t cmd;
    size_t inSize;
    size_t outSize;  // the caller's record; 0: status only
    RequestOf request;
    ExportCall call;
    size_t replySize = 0;        // the reply record on the wire, when it is not `outSize`
    size_t replyOffset = 0;      // where in it the caller's record starts
    bool zeroOnFailure = false;  // the caller's record reads as zeros after a failure
    // Makes the patterned input and output valid for the export (a card
    // number's text, say) before the request is worked out.
    std::function<void(Bytes& in, Bytes& out)> prepare = nullptr;
};

inline Bytes Keyed(uint8_t key, size_t size = 32) {
    Bytes b(size, 0);
    b[0] = key;
    return b;
}

// Request shapes.
inline RequestOf None() {
    return [](const Bytes&, const Bytes&) { return Bytes{}; };
}
inline RequestOf Zeros(size_t n) {
    return [n](const Bytes&, const Bytes&) { return Bytes(n, 0); };
}
inline RequestOf Whole() {
    return [](const Bytes& in, const Bytes&) { return in; };
}
inline RequestOf ArgumentKey() {
    return [](const Bytes& in, const Bytes&) { return Keyed(in[0]); };
}
inline RequestOf RecordKey() {
    return [](const Bytes&, const Bytes& out) { return Keyed(out[0]); };
}
// Subscriptions: 1 basic, 2 full.
inline RequestOf Mode(uint8_t mode) {
    return [mode](const Bytes&, const Bytes&) { return Keyed(mode); };
}

// Rows by export signature. A text output has no record type to size it,
// so it goes through Text with its size.
template <class T>
ExportRow Out(const char* name, uint32_t cmd, RequestOf request, int (*fn)(int, T*)) {
    static_assert(!std::is_same<T, char>::value, "a text output needs its size: use Text");
    return {name, cmd, 0, sizeof(T), std::move(request), [fn](int h, const Bytes&, Bytes& out) {
                return fn(h, reinterpret_cast<T*>(out.data()));
            }};
}
template <class T>
ExportRow In(const char* name, uint32_t cmd, int (*fn)(int, T)) {
    return {name, cmd, sizeof(T), 0, Whole(), [fn](int h, const Bytes& in, Bytes&) {
                T record;
                std::memcpy(&record, in.data(), sizeof record);
                return fn(h, record);
            }};
}
template <class Q, class T>
ExportRow InOut(const char* name, uint32_t cmd, int (*fn)(int, Q, T*)) {
    static_assert(!std::is_same<T, char>::value, "a text output needs its size: use Text");
    return {name, cmd, sizeof(Q), sizeof(T), Whole(), [fn](int h, const Bytes& in, Bytes& out) {
                Q query;
                std::memcpy(&query, in.data(), sizeof query);
                return fn(h, query, reinterpret_cast<T*>(out.data()));
            }};
}
inline ExportRow Text(const char* name, uint32_t cmd, size_t size, int (*fn)(int, char*)) {
    return {
        name,   cmd,
        0,      size,
        None(), [fn](int h, const Bytes&, Bytes& out) { return fn(h, reinterpret_cast<char*>(out.data())); }};
}
template <class Q>
ExportRow Text(const char* name, uint32_t cmd, size_t size, int (*fn)(int, Q, char*)) {
    return {name, cmd, sizeof(Q), size, Whole(), [fn](int h, const Bytes& in, Bytes& out) {
                Q query;
                std::memcpy(&query, in.data(), sizeof query);
                return fn(h, query, reinterpret_cast<char*>(out.data()));
            }};
}
inline ExportRow Index(const char* name, uint32_t cmd, int (*fn)(int, uint8_t)) {
    return {name, cmd, 1, 0, ArgumentKey(), [fn](int h, const Bytes& in, Bytes&) { return fn(h, in[0]); }};
}
inline ExportRow Bare(const char* name, uint32_t cmd, int (*fn)(int)) {
    return {name, cmd, 0, 0, None(), [fn](int h, const Bytes&, Bytes&) { return fn(h); }};
}
// Subscription setters get the handle only.
inline ExportRow Setter(const char* name, uint32_t cmd, RequestOf request, std::function<int(int)> fn) {
    return {name, cmd, 0, 0, std::move(request), [fn](int h, const Bytes&, Bytes&) { return fn(h); }};
}

// Success against a patterned reply, then a refusal and replies of the wrong
// length, none of which may touch the caller's record.
inline void CheckRow(SimLogin& sim, uint32_t type, const ExportRow& row) {
    SCOPED_TRACE(row.name);
    const size_t replySize = row.replySize ? row.replySize : row.outSize;
    const Bytes reply = Pattern(replySize, 0x31);
    sim.device->SetHandler(row.cmd, [reply](const devsim::Request&) -> std::optional<Bytes> {
        return devsim::StatusPayload(0, reply);
    });

    Bytes in = Pattern(row.inSize, 0x52);
    Bytes out = Pattern(row.outSize, 0x77);
    if (!in.empty()) in[0] = kKey;
    if (!out.empty()) out[0] = kKey;
    if (row.prepare) row.prepare(in, out);
    const Bytes expected = row.request(in, out);

    sim.server->ClearRequests();
    EXPECT_EQ(row.call(sim.handle, in, out), 0);
    auto requests = sim.server->RequestsFor(row.cmd);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].head.type, type);
    EXPECT_EQ(requests[0].plain, expected);
    EXPECT_EQ(out, Bytes(reply.begin() + row.replyOffset, reply.begin() + row.replyOffset + row.outSize));

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
        SCOPED_TRACE(testing::Message() << "fault " << c.fault.kind << ", value " << c.fault.value);
        sim.device->SetFault(row.cmd, c.fault);
        Bytes before = Pattern(row.outSize, 0x19), scratch = in;
        if (row.prepare) row.prepare(scratch, before);
        Bytes output = before;
        EXPECT_EQ(row.call(sim.handle, in, output), c.status);
        if (c.status == 0 || !row.zeroOnFailure)
            EXPECT_EQ(output, before);
        else
            EXPECT_EQ(output, Bytes(row.outSize, 0));
        sim.device->ClearFault(row.cmd);
    }
}

// The export frame: an unknown handle and a device of another family get
// their codes, and nothing is sent to either device.
inline void CheckFrame(SimLogin& sim, SimLogin& other, const ExportRow& row) {
    SCOPED_TRACE(row.name);
    constexpr int kUnknownHandle = 257;
    const size_t mine = sim.server->RequestsFor(row.cmd).size();
    Bytes in = Pattern(row.inSize, 1);
    Bytes before = Pattern(row.outSize, 2);
    if (row.prepare) row.prepare(in, before);
    Bytes out = before;
    EXPECT_EQ(row.call(kUnknownHandle, in, out), -1);
    EXPECT_EQ(row.call(other.handle, in, out), -2);
    EXPECT_EQ(out, before);
    EXPECT_EQ(sim.server->RequestsFor(row.cmd).size(), mine);
    EXPECT_TRUE(other.server->RequestsFor(row.cmd).empty());
}

// Events as a family delivers them, from either callback form.
template <class Record>
class EventLog {
  public:
    struct Event {
        int handle;
        void* context;  // null from the std::function form
        Bytes record;
    };

    std::function<void(int, Record)> Callback() {
        return [this](int handle, Record record) { Add(handle, nullptr, record); };
    }
    // The pointer form; the context must be an EventLog.
    static void Collect(int handle, Record* record, void* context) {
        static_cast<EventLog*>(context)->Add(handle, context, *record);
    }

    // Generous: it ends as soon as the events are in, and sanitizer builds on
    // a busy machine deliver slowly.
    bool WaitFor(size_t count, std::chrono::milliseconds limit = 10s) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, limit, [&] { return events_.size() >= count; });
    }
    std::vector<Event> Events() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    size_t Count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_.size();
    }

  private:
    void Add(int handle, void* context, const Record& record) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back({handle, context, BytesOf(record)});
        arrived_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Event> events_;
};

// An event payload whose first four bytes (the event code) tell it apart.
inline Bytes EventPayload(int32_t code, size_t size) {
    Bytes payload = Pattern(size, static_cast<uint8_t>(code));
    if (size) std::memcpy(payload.data(), &code, std::min(sizeof code, size));
    return payload;
}

inline int32_t CodeOf(const Bytes& record) {
    int32_t code;
    std::memcpy(&code, record.data(), sizeof code);
    return code;
}

// What a family with an event record of `Record` must do with pushes: every
// payload of exactly its size reaches the callback whatever the command id,
// with the handle and the context of registration; other sizes are dropped.
template <class Record>
void CheckDelivery(SimLogin& sim, int (*setPtr)(int, void (*)(int, Record*, void*)),
                   int (*setFullFn)(int, std::function<void(int, Record)>)) {
    constexpr size_t n = sizeof(Record);
    const int h = sim.handle;

    // Pointer form: the context is the one set before registration.
    EventLog<Record> log;
    EventLog<Record> later;
    ASSERT_EQ(TSL_NET_DEV_SetContext(h, &log), 0);
    ASSERT_EQ(setPtr(h, EventLog<Record>::Collect), 0);
    EXPECT_EQ(sim.LastPayload(1036), Keyed(1));
    ASSERT_EQ(TSL_NET_DEV_SetContext(h, &later), 0);

    sim.server->Push(1800, EventPayload(1, n));
    sim.server->Push(1800, EventPayload(2, n - 1));
    sim.server->Push(1800, EventPayload(3, n + 1));
    sim.server->Push(4803, EventPayload(4, n));
    sim.server->Push(1800, EventPayload(5, 0));
    sim.server->Push(2800, EventPayload(6, n));
    ASSERT_TRUE(log.WaitFor(3));
    std::vector<int32_t> codes;
    for (const auto& e : log.Events()) {
        EXPECT_EQ(e.handle, h);
        EXPECT_EQ(e.context, &log);
        codes.push_back(CodeOf(e.record));
        EXPECT_EQ(e.record, EventPayload(CodeOf(e.record), n));
    }
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<int32_t>{1, 4, 6}));
    EXPECT_EQ(later.Count(), 0u);

    // The std::function form replaces it; the full subscription sends mode 2.
    EventLog<Record> full;
    ASSERT_EQ(setFullFn(h, full.Callback()), 0);
    EXPECT_EQ(sim.LastPayload(1036), Keyed(2));
    sim.server->Push(1800, EventPayload(7, n));
    ASSERT_TRUE(full.WaitFor(1));
    EXPECT_EQ(full.Events()[0].handle, h);
    EXPECT_EQ(full.Events()[0].record, EventPayload(7, n));

    // Null unsubscribes.
    sim.server->ClearRequests();
    ASSERT_EQ(setPtr(h, nullptr), 0);
    auto unsubscribe = sim.server->RequestsFor(1037);
    ASSERT_EQ(unsubscribe.size(), 1u);
    EXPECT_TRUE(unsubscribe[0].plain.empty());
    EXPECT_EQ(log.Count(), 3u);
    EXPECT_EQ(full.Count(), 1u);
}

// A record kind as the device stores it: Set, Get by the key in byte 0 (or no
// key), Delete by key and Clear where the family has them.
struct StoredKind {
    const char* name;
    size_t size;
    bool keyed;
    std::function<int(int, const Bytes&)> set;
    std::function<int(int, Bytes&)> get;
    std::function<int(int, uint8_t)> erase;
    std::function<int(int)> clear;
};

template <class T>
StoredKind Kind(const char* name, bool keyed, int (*set)(int, T), int (*get)(int, T*),
                std::function<int(int, uint8_t)> erase, std::function<int(int)> clear) {
    return {name,
            sizeof(T),
            keyed,
            [set](int h, const Bytes& b) {
                T record;
                std::memcpy(&record, b.data(), sizeof record);
                return set(h, record);
            },
            [get](int h, Bytes& b) { return get(h, reinterpret_cast<T*>(b.data())); },
            std::move(erase),
            std::move(clear)};
}

// Two records set under keys 5 and 6 read back as they were set; a deleted or
// cleared one reads as zeros behind its key.
inline void CheckStored(int handle, const StoredKind& kind) {
    SCOPED_TRACE(kind.name);
    Bytes first = Pattern(kind.size, 3), second = Pattern(kind.size, 4);
    first[0] = 5;
    second[0] = 6;
    ASSERT_EQ(kind.set(handle, first), 0);
    ASSERT_EQ(kind.set(handle, second), 0);

    Bytes read = Pattern(kind.size, 9);
    read[0] = 5;
    ASSERT_EQ(kind.get(handle, read), 0);
    EXPECT_EQ(read, kind.keyed ? first : second);
    if (kind.keyed) {
        read[0] = 6;
        ASSERT_EQ(kind.get(handle, read), 0);
        EXPECT_EQ(read, second);
    }

    Bytes gone(kind.size, 0);
    if (kind.erase) {
        ASSERT_EQ(kind.erase(handle, 5), 0);
        read[0] = gone[0] = 5;
        ASSERT_EQ(kind.get(handle, read), 0);
        EXPECT_EQ(read, gone);
        read[0] = 6;
        ASSERT_EQ(kind.get(handle, read), 0);
        EXPECT_EQ(read, second);
    }
    if (kind.clear) {
        ASSERT_EQ(kind.clear(handle), 0);
        read[0] = 6;
        gone[0] = kind.keyed ? 6 : 0;
        ASSERT_EQ(kind.get(handle, read), 0);
        EXPECT_EQ(read, gone);
    }
}

}  // namespace tsltest
