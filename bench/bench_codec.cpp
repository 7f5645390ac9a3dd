// Payload codec against raw OpenSSL AES-128-ECB plus EVP base64 on the same
// bytes: the ceiling for our in-place codec.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstring>
#include <vector>

#include "Base/Codec.h"

namespace {

void BM_PayloadCodec(benchmark::State& state) {
    const size_t n = static_cast<size_t>(state.range(0));
    std::vector<uint8_t> plain(n, 0x5A), buf(tsl::EncodedPayloadSize(static_cast<uint32_t>(n)) + 16);
    for (auto _ : state) {
        std::memcpy(buf.data(), plain.data(), n);
        uint32_t enc = 0, dec = 0;
        tsl::EncodePayload(buf.data(), static_cast<int32_t>(n), buf.data(), &enc);
        tsl::DecodePayload(buf.data(), static_cast<int32_t>(enc), buf.data(), &dec);
        benchmark::DoNotOptimize(dec);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
}

void BM_RawOpenSsl(benchmark::State& state) {
    const size_t n = static_cast<size_t>(state.range(0));
    const size_t padded = (n & ~size_t(15)) + 16;
    const unsigned char key[16] = {'w', 's', 'e', 'l', '@', 'D', 'O', 'R',
                                   '-', '*', '-', '*', '1', '9', '7', '5'};
    std::vector<uint8_t> work(padded, 0x5A), text(4 * ((padded + 2) / 3) + 1);
    EVP_CIPHER_CTX* enc = EVP_CIPHER_CTX_new();
    EVP_CIPHER_CTX* dec = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(enc, EVP_aes_128_ecb(), nullptr, key, nullptr);
    EVP_DecryptInit_ex(dec, EVP_aes_128_ecb(), nullptr, key, nullptr);
    EVP_CIPHER_CTX_set_padding(enc, 0);
    EVP_CIPHER_CTX_set_padding(dec, 0);
    for (auto _ : state) {
        int len = 0;
        EVP_EncryptUpdate(enc, work.data(), &len, work.data(), static_cast<int>(padded));
        int t = EVP_EncodeBlock(text.data(), work.data(), static_cast<int>(padded));
        int d = EVP_DecodeBlock(work.data(), text.data(), t);
        EVP_DecryptUpdate(dec, work.data(), &len, work.data(), static_cast<int>(padded));
        benchmark::DoNotOptimize(d);
    }
    EVP_CIPHER_CTX_free(enc);
    EVP_CIPHER_CTX_free(dec);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
}

}  // namespace

BENCHMARK(BM_PayloadCodec)->Arg(32)->Arg(1024)->Arg(51336);
BENCHMARK(BM_RawOpenSsl)->Arg(32)->Arg(1024)->Arg(51336);
BENCHMARK_MAIN();
