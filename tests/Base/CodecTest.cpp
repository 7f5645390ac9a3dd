#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "Base/Codec.h"
#include "Base/MessageHead.h"

using namespace tsl;

namespace {

std::string Encode(const std::vector<uint8_t>& plain) {
    std::vector<uint8_t> buf(EncodedPayloadSize(static_cast<uint32_t>(plain.size())) + 16);
    if (!plain.empty()) std::memcpy(buf.data(), plain.data(), plain.size());
    uint32_t n = 12345;
    EXPECT_EQ(0, EncodePayload(buf.data(), static_cast<int32_t>(plain.size()), buf.data(), &n));
    return std::string(reinterpret_cast<char*>(buf.data()), n);
}

// Decodes a copy of `text` in place; returns -1 or the plain count.
int64_t Decode(const std::string& text, std::vector<uint8_t>* plain = nullptr) {
    // Exactly sized heap copy, so the sanitizer sees any read past the text.
    std::unique_ptr<uint8_t[]> buf(new uint8_t[text.size() ? text.size() : 1]);
    std::memcpy(buf.get(), text.data(), text.size());
    uint32_t n = 0xDEADBEEF;
    if (DecodePayload(buf.get(), static_cast<int32_t>(text.size()), buf.get(), &n) != 0) {
        EXPECT_EQ(0xDEADBEEFu, n) << "count written on failure";
        return -1;
    }
    if (plain) plain->assign(buf.get(), buf.get() + n);
    return n;
}

std::string CipherTextOf(std::vector<uint8_t> blocks) {
    return Base64Encode(blocks.data(), blocks.size());
}

}  // namespace

TEST(MessageHead, LayoutIsLittleEndianAndPacked) {
    uint8_t bytes[kHeadSize];
    WriteHead(bytes, MakeHead(100, 2006, 0x01020304, 32));
    const uint8_t expect[kHeadSize] = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x02, 100, 0,  0, 0, 0xD6,
                                       0x07, 0,    0,    4,    3,    2,    1,   32, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(bytes, expect, kHeadSize));
    const uint32_t cmd = ReadHead(bytes).cmd;
    EXPECT_EQ(2006u, cmd);
}

TEST(Codec, GoldenVectors) {
    struct Case {
        std::vector<uint8_t> plain;
        const char* text;
    } cases[] = {
        {{0, 0, 0, 0}, "x3Gpq6LME0ZrckgrgkMEMw=="},
        {{5, 0, 0, 0}, "+XLPtp/xLhmI9O6EdSDCUg=="},
        {{0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         "SJ/1gcTfSWQZxv8+SVQQM8dxqauizBNGa3JIK4JDBDM="},
        {std::vector<uint8_t>(16, 0), "l/sJNAFHd94gElRQaSVe/l9+Fr00CdK0l5xVlNJc+6M="},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, Encode(c.plain));
        std::vector<uint8_t> back;
        EXPECT_EQ(static_cast<int64_t>(c.plain.size()), Decode(c.text, &back));
        EXPECT_EQ(c.plain, back);
    }
}

TEST(Codec, EmptyPayloadEncodesToNothing) {
    uint8_t buf[4] = {1, 2, 3, 4};
    uint32_t n = 99;
    EXPECT_EQ(0, EncodePayload(buf, 0, buf, &n));
    EXPECT_EQ(0u, n);
    n = 99;
    EXPECT_EQ(0, DecodePayload(buf, 0, buf, &n));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(-1, EncodePayload(buf, -1, buf, &n));
    EXPECT_EQ(-1, DecodePayload(buf, -1, buf, &n));
}

TEST(Codec, EncodedSizes) {
    for (auto [plain, text] : std::vector<std::pair<uint32_t, uint32_t>>{
             {16, 44}, {20, 44}, {32, 64}, {80, 128}, {51340, 68460}, {1, 24}}) {
        EXPECT_EQ(text, Encode(std::vector<uint8_t>(plain, 0xA5)).size()) << plain;
        EXPECT_EQ(text, EncodedPayloadSize(plain)) << plain;
    }
}

TEST(Codec, InPlaceRoundTripEveryLength) {
    std::mt19937 rng(7);
    for (int len = 0; len <= 2100; ++len) {
        std::vector<uint8_t> plain(static_cast<size_t>(len));
        for (auto& b : plain) b = static_cast<uint8_t>(rng());
        std::vector<uint8_t> back;
        ASSERT_EQ(len, Decode(Encode(plain), &back)) << len;
        ASSERT_EQ(plain, back) << len;
    }
}

TEST(Codec, RefusesUndecodableText) {
    const Aes128& aes = PayloadCipher();
    auto withPad = [&](uint8_t pad) {
        std::vector<uint8_t> block(16, 0);
        block[15] = pad;
        aes.EncryptBlock(block.data());
        return CipherTextOf(block);
    };
    const std::string good = Encode({1, 2, 3});
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"padding count 0", withPad(0)},
        {"padding count 17", withPad(17)},
        {"padding count 255", withPad(255)},
        {"24 decoded bytes", CipherTextOf(std::vector<uint8_t>(24, 1))},
        {"4k+1 characters", good + "A"},
        {"line break", good.substr(0, 10) + "\n" + good.substr(11)},
        {"NUL inside", good.substr(0, 5) + std::string(1, '\0') + good.substr(6)},
        {"invalid character", "AAAA*AAAAAAAAAAAAAAAAAAA"},
        {"padding first", "=AAAAAAAAAAAAAAAAAAAAAAA"},
        {"single character", "A"},
    };
    for (const Case& c : cases) EXPECT_EQ(-1, Decode(c.text)) << c.what;
    EXPECT_EQ(1, Decode(withPad(15)));
    EXPECT_EQ(0, Decode(withPad(16)));
}

TEST(Base64, AlphabetsAndPadding) {
    EXPECT_EQ("", Base64Decode(""));
    EXPECT_EQ("f", Base64Decode("Zg=="));
    EXPECT_EQ("f", Base64Decode("Zg.."));
    EXPECT_EQ("f", Base64Decode("Zg"));
    EXPECT_EQ("fo", Base64Decode("Zm8"));
    EXPECT_EQ("fo", Base64Decode("Zm8."));
    EXPECT_EQ("foo", Base64Decode("Zm9v"));
    // Padding ends only its own group.
    EXPECT_EQ("ffoo", Base64Decode("Zg==Zm9v"));
    EXPECT_EQ(std::string("\xfb\xff", 2), Base64Decode("-_8"));
    EXPECT_EQ(Base64Decode("+/8"), Base64Decode("-_8"));
    EXPECT_THROW(Base64Decode("Zm9vZ"), std::runtime_error);
    EXPECT_THROW(Base64Decode("Zm9v\nZm9v"), std::runtime_error);
    try {
        Base64CharValue('*');
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ("Input is not valid base64-encoded data.", e.what());
    }
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i) EXPECT_EQ(i, Base64CharValue(alphabet[i]));
    EXPECT_EQ(62, Base64CharValue('-'));
    EXPECT_EQ(63, Base64CharValue('_'));
    const uint8_t bytes[] = {0xfb, 0xff, 0x00, 0x10};
    EXPECT_EQ("+/8AEA==", Base64Encode(bytes, 4));
}

TEST(Codec, HostileTextNeverCrashes) {
    std::mt19937 rng(11);
    const std::string chars = "AZaz09+/-_=.\n*";
    for (int i = 0; i < 20000; ++i) {
        std::string text(rng() % 70, 'A');
        for (char& c : text) c = chars[rng() % chars.size()];
        Decode(text);
    }
}

TEST(Aes128, Fips197AppendixC1) {
    uint8_t key[16], block[16];
    for (int i = 0; i < 16; ++i) {
        key[i] = static_cast<uint8_t>(i);
        block[i] = static_cast<uint8_t>(i * 0x11);
    }
    Aes128 aes(key);
    aes.EncryptBlock(block);
    const uint8_t expect[16] = {0x69, 0xc4, 0xe0, 0xd8, 0x6a, 0x7b, 0x04, 0x30,
                                0xd8, 0xcd, 0xb7, 0x80, 0x70, 0xb4, 0xc5, 0x5a};
    EXPECT_EQ(0, std::memcmp(block, expect, 16));
    aes.DecryptBlock(block);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(i * 0x11, block[i]);
}

TEST(Identity, CountersArePerModule) {
    uint32_t acc = NextIdentity(IdentityModule::Acc);
    uint32_t fsu = NextIdentity(IdentityModule::Fsu);
    EXPECT_EQ(0u, acc);
    EXPECT_EQ(0u, fsu);
    EXPECT_EQ(1u, NextIdentity(IdentityModule::Acc));
    EXPECT_EQ(1u, NextIdentity(IdentityModule::Fsu));
}
