// tessaly-devsim: simulated devices on 127.0.0.1, one port each, until
// SIGINT/SIGTERM or the given number of seconds. Each starts with the
// records of a device in service and a clock that runs on.
#include <signal.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "DevSim.h"
#include "Plausible.h"

namespace {

void Usage(FILE* out) {
    std::fprintf(out,
                 "usage: tessaly-devsim [--type CODE]... [--all] [--port BASE] [--user NAME]\n"
                 "                      [--password TEXT] [--seconds N]\n"
                 "  --type CODE      a device of this type code (repeatable; default 100)\n"
                 "  --all            one device of each type 100 to 105\n"
                 "  --port BASE      port of the first device, the next ones count up (default 9100;\n"
                 "                   0: a free port each)\n"
                 "  --user NAME      login user name (default admin)\n"
                 "  --password TEXT  login password (default admin123)\n"
                 "  --seconds N      stop after N seconds (default: run until SIGINT/SIGTERM)\n");
}

bool ParseNumber(const char* text, double low, double high, double& out) {
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<uint32_t> types;
    double basePort = 9100;
    double seconds = -1;
    std::string user = "admin", password = "admin123";

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "tessaly-devsim: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        double number = 0;
        if (arg == "--type") {
            if (!ParseNumber(value("--type"), 0, 0xFFFFFFFFu, number)) {
                std::fprintf(stderr, "tessaly-devsim: bad type code\n");
                return 2;
            }
            types.push_back(static_cast<uint32_t>(number));
        } else if (arg == "--all") {
            for (uint32_t t = 100; t <= 105; ++t) types.push_back(t);
        } else if (arg == "--port") {
            if (!ParseNumber(value("--port"), 0, 65535, basePort)) {
                std::fprintf(stderr, "tessaly-devsim: bad port\n");
                return 2;
            }
        } else if (arg == "--user") {
            user = value("--user");
        } else if (arg == "--password") {
            password = value("--password");
        } else if (arg == "--seconds") {
            if (!ParseNumber(value("--seconds"), 0, 1e9, seconds)) {
                std::fprintf(stderr, "tessaly-devsim: bad number of seconds\n");
                return 2;
            }
        } else if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "tessaly-devsim: unknown option %s\n", arg.c_str());
            Usage(stderr);
            return 2;
        }
    }
    if (types.empty()) types.push_back(100);
    const unsigned base = static_cast<unsigned>(basePort);
    if (base != 0 && base + types.size() - 1 > 65535) {
        std::fprintf(stderr, "tessaly-devsim: too many devices for base port %u\n", base);
        return 2;
    }

    // Blocked before any thread starts, so that only sigtimedwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::vector<std::unique_ptr<devsim::SimServer>> servers;
    try {
        for (size_t i = 0; i < types.size(); ++i) {
            auto device = std::make_shared<devsim::SimDevice>(types[i], user, password);
            devsim::plausible::Apply(*device);
            uint16_t port = base == 0 ? 0 : static_cast<uint16_t>(base + i);
            servers.push_back(std::make_unique<devsim::SimServer>(device, port));
            std::printf("tessaly-devsim: device type %u listening on 127.0.0.1:%u (user %s)\n", types[i],
                        servers.back()->Port(), user.c_str());
            std::fflush(stdout);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessaly-devsim: %s\n", e.what());
        return 1;
    }

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(seconds < 0 ? 0 : seconds));
    for (;;) {
        timespec wait{};
        timespec* limit = nullptr;
        if (seconds >= 0) {
            auto left = deadline - Clock::now();
            if (left <= Clock::duration::zero()) break;
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait.tv_sec = static_cast<time_t>(ns / 1000000000);
            wait.tv_nsec = static_cast<long>(ns % 1000000000);
            limit = &wait;
        }
        int sig = limit ? sigtimedwait(&stopSignals, nullptr, limit) : sigwaitinfo(&stopSignals, nullptr);
        if (sig == SIGINT || sig == SIGTERM) break;
    }
    for (auto& s : servers) s->Stop();
    return 0;
}
