// The structure file: read block by block, written chunk by chunk.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "FsuTest.h"

using namespace fsutest;
using tsltest::SimLogin;

namespace {

constexpr size_t kBuffer = 10240;
constexpr uint8_t kUntouched = 0xEE;

Bytes BlockData(size_t index) {
    return Pattern(1024, static_cast<uint8_t>(index * 31 + 1));
}

// A device that answers block i with lengths[i] bytes (0 past the list), or
// with result code `failCode` at block `failAt`.
void ServeBlocks(devsim::SimDevice& device, std::vector<int32_t> lengths, size_t failAt = SIZE_MAX,
                 int32_t failCode = 0) {
    device.SetHandler(4058, [=](const devsim::Request& r) -> std::optional<Bytes> {
        const uint32_t index = devsim::GetU32(r.plain.data());
        if (index == failAt) return devsim::StatusPayload(failCode);
        Bytes block(1032, 0);
        const int32_t n = index < lengths.size() ? lengths[index] : 0;
        devsim::PutU32(block.data() + 4, static_cast<uint32_t>(n));
        Bytes data = BlockData(index);
        std::copy(data.begin(), data.end(), block.begin() + 8);
        return devsim::StatusPayload(0, block);
    });
}

TEST(FsuStructFile, ReadPacksBlocksAndStopsWhereItMust) {
    struct Case {
        const char* name;
        std::vector<int32_t> lengths;
        size_t failAt;
        int status;
        size_t requests;
        size_t stored;  // blocks whose data must be in the buffer
    };
    const Case cases[] = {
        {"empty file", {0}, SIZE_MAX, 0, 1, 0},
        {"negative length ends", {1024, -1}, SIZE_MAX, 0, 2, 1},
        {"two full, 300 bytes", {1024, 1024, 300}, SIZE_MAX, 0, 4, 3},
        {"short block in the middle", {1024, 500, 1024}, SIZE_MAX, 0, 4, 3},
        {"ten blocks at most", std::vector<int32_t>(12, 1024), SIZE_MAX, 0, 10, 10},
        {"block over 1,024 bytes", {1024, 1025}, SIZE_MAX, -17, 2, 1},
        {"huge length claim", {0x7FFFFFFF}, SIZE_MAX, -17, 1, 0},
        {"device refuses block 2", {1024, 1024, 1024}, 2, -1007, 3, 2},
    };
    SimLogin sim(kFsu);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServeBlocks(*sim.device, c.lengths, c.failAt, 7);
        sim.server->ClearRequests();
        std::vector<uint8_t> buffer(kBuffer + 64, kUntouched);
        uint32_t length = 12345;

        EXPECT_EQ(c.status, TSL_NET_FSU_GetStructFile(sim.handle, buffer.data(), &length));
        auto sent = sim.server->RequestsFor(4058);
        ASSERT_EQ(c.requests, sent.size());
        for (size_t i = 0; i < sent.size(); ++i) {
            Bytes expected(32, 0);
            devsim::PutU32(expected.data(), static_cast<uint32_t>(i));
            EXPECT_EQ(expected, sent[i].plain);
        }
        Bytes expected;
        for (size_t i = 0; i < c.stored; ++i) {
            Bytes data = BlockData(i);
            expected.insert(expected.end(), data.begin(), data.begin() + c.lengths[i]);
        }
        ASSERT_EQ(expected.size(), length);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
        EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<long>(length), buffer.end(),
                                [](uint8_t b) { return b == kUntouched; }));
    }
}

struct Chunk {
    uint32_t index;
    uint32_t length;
};

std::vector<Chunk> ChunksOf(const devsim::SimServer& server, const Bytes& data) {
    std::vector<Chunk> chunks;
    for (const auto& r : server.RequestsFor(4059)) {
        EXPECT_EQ(1032u, r.plain.size());
        if (r.plain.size() != 1032) continue;
        Chunk c{devsim::GetU32(r.plain.data()), devsim::GetU32(r.plain.data() + 4)};
        // The chunk's bytes, then zeros to the end.
        const size_t from = size_t(c.index) * 1024;
        for (size_t i = 0; i < 1024; ++i) {
            uint8_t want = i < c.length && from + i < data.size() ? data[from + i] : 0;
            if (r.plain[8 + i] != want) {
                ADD_FAILURE() << "chunk " << c.index << " byte " << i;
                break;
            }
        }
        chunks.push_back(c);
    }
    return chunks;
}

TEST(FsuStructFile, WriteSendsChunksAndAlwaysTheEndChunk) {
    struct Case {
        const char* name;
        int length;
        int status;
        size_t fullChunks;
        uint32_t lastData;  // bytes of a last, partial chunk (0: none)
        bool sent;          // anything at all
    };
    const Case cases[] = {
        {"empty file", 0, 0, 0, 0, true},        {"negative length", -5, 0, 0, 0, true},
        {"1,025 bytes", 1025, 0, 1, 1, true},    {"10,240 bytes", 10240, 0, 10, 0, true},
        {"20,480 bytes", 20480, 0, 20, 0, true}, {"20,481 bytes", 20481, -9, 0, 0, false},
    };
    SimLogin sim(kFsu);
    const Bytes data = Pattern(20481, 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.server->ClearRequests();
        sim.device->PutRecord("fsuStructFile", {}, Bytes{1, 2, 3});
        EXPECT_EQ(c.status, TSL_NET_FSU_SetStructFile(sim.handle, data.data(), c.length));

        std::vector<Chunk> chunks = ChunksOf(*sim.server, data);
        if (!c.sent) {
            EXPECT_TRUE(chunks.empty());
            continue;
        }
        const size_t dataChunks = c.fullChunks + (c.lastData ? 1 : 0);
        ASSERT_EQ(dataChunks + 1, chunks.size());
        for (size_t i = 0; i < chunks.size(); ++i) {
            EXPECT_EQ(i, chunks[i].index);
            uint32_t want = i < c.fullChunks ? 1024 : (i < dataChunks ? c.lastData : 0);
            EXPECT_EQ(want, chunks[i].length);
        }
        // The end chunk committed the file on the device.
        const size_t size = c.length > 0 ? size_t(c.length) : 0;
        EXPECT_EQ(Bytes(data.begin(), data.begin() + static_cast<long>(size)),
                  sim.device->GetRecord("fsuStructFile", {}).value_or(Bytes{}));
    }
}

TEST(FsuStructFile, ARefusedChunkEndsTheWrite) {
    std::atomic<int> seen{0};
    SimLogin sim(kFsu);
    sim.device->SetHandler(4059, [&](const devsim::Request&) -> std::optional<Bytes> {
        return devsim::StatusPayload(++seen == 4 ? 7 : 0);
    });
    const Bytes data = Pattern(6000, 5);
    EXPECT_EQ(-1007, TSL_NET_FSU_SetStructFile(sim.handle, data.data(), static_cast<int>(data.size())));
    std::vector<Chunk> chunks = ChunksOf(*sim.server, data);
    ASSERT_EQ(4u, chunks.size());
    EXPECT_EQ(3u, chunks.back().index);
    EXPECT_EQ(1024u, chunks.back().length);
}

TEST(FsuStructFile, WrittenFileReadsBack) {
    SimLogin sim(kFsu);
    const Bytes data = Pattern(5000, 8);
    ASSERT_EQ(0, TSL_NET_FSU_SetStructFile(sim.handle, data.data(), static_cast<int>(data.size())));
    std::vector<uint8_t> buffer(kBuffer, 0);
    uint32_t length = 0;
    ASSERT_EQ(0, TSL_NET_FSU_GetStructFile(sim.handle, buffer.data(), &length));
    ASSERT_EQ(data.size(), length);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer.begin()));
}

}  // namespace
