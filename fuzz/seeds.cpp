// Writes a few well-formed inputs per target into DIR/<target>/, so that each
// run starts from messages that get past the cipher and the framing.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Base/Codec.h"
#include "Base/MessageHead.h"
#include "TslDiscovery.h"
#include "TslFpr.h"
#include "TslFsu.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put(const std::string& dir, const std::string& name, const Bytes& bytes) {
    mkdir(dir.c_str(), 0755);
    FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

Bytes Encoded(const Bytes& plain) {
    Bytes text(tsl::EncodedPayloadSize(static_cast<uint32_t>(plain.size())) + 1);
    uint32_t n = 0;
    tsl::EncodePayload(plain.data(), static_cast<int32_t>(plain.size()), text.data(), &n);
    text.resize(n);
    return text;
}

Bytes Datagram(uint32_t cmd, const Bytes& plain) {
    Bytes text = Encoded(plain);
    Bytes out(tsl::kHeadSize);
    tsl::WriteHead(out.data(), tsl::MakeHead(0, cmd, 7, static_cast<uint32_t>(text.size())));
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

// One message of the device stream's list: kind, 16-bit length, bytes.
void Message(Bytes& input, uint8_t kind, size_t length, uint8_t fill) {
    input.push_back(kind);
    input.push_back(static_cast<uint8_t>(length));
    input.push_back(static_cast<uint8_t>(length >> 8));
    input.insert(input.end(), length, fill);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    mkdir(root.c_str(), 0755);

    for (size_t n : {1, 4, 16, 100, 1028})
        Put(root + "/codec", "plain" + std::to_string(n), Encoded(Bytes(n, 'a')));

    Bytes search(4 + sizeof(Np_SearchInfo), 0);
    std::memcpy(search.data() + 4 + offsetof(Np_SearchInfo, mac), "02:5a:00:00:00:01", 17);
    Put(root + "/discovery", "search", Datagram(1000, search));
    Put(root + "/discovery", "setup-ok", Datagram(1500, Bytes(4, 0)));
    Put(root + "/discovery", "setup-refused", Datagram(1500, Bytes{5, 0, 0, 0}));

    Bytes fsu{0x00};
    Message(fsu, 0, sizeof(Np_FsuEventInfo), 1);
    Message(fsu, 1, sizeof(Np_FsuModbusData), 2);
    Message(fsu, 2, sizeof(Np_FsuAnalogData), 3);
    Message(fsu, 3, sizeof(Np_FsuInputData), 4);
    Message(fsu, 4, sizeof(Np_FsuOutputData), 5);
    Message(fsu, 5, 20, 0);
    Put(root + "/device_stream", "fsu", fsu);
    Bytes fpr{0x01};
    Message(fpr, 0, sizeof(Np_FprEventInfo), 6);
    Message(fpr, 0x80, 30, 0xFF);
    Put(root + "/device_stream", "fpr", fpr);
    Bytes raw{0x80};
    Bytes push = Datagram(1800, Bytes(sizeof(Np_FsuEventInfo), 7));
    raw.insert(raw.end(), push.begin(), push.end());
    Put(root + "/device_stream", "raw", raw);

    std::string csv;
    for (int i = 0; i < 32; ++i) csv += (i ? "," : "") + std::string("name") + std::to_string(i);
    csv +=
        "\r\nmeter,1,2,3,4,5,6,7,8,9,10,11,\"a, "
        "b\",c,-14,15,16,t,u,v,w,1.5,-2.25,23,0x1p3,25,inf,nan,28,29\r\n";
    Put(root + "/csv", "table", Bytes(csv.begin(), csv.end()));
    return 0;
}
