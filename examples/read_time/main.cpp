// read_time PORT: logs in to the device simulator (tessaly-devsim) on
// 127.0.0.1:PORT with its default credentials, prints the device's time and
// logs out. Exits non-zero when any step fails.
#include <Tessaly.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    long port = 0;
    if (argc == 2) {
        char* end = nullptr;
        errno = 0;
        port = std::strtol(argv[1], &end, 10);
        if (errno != 0 || end == argv[1] || *end != '\0' || port < 1 || port > 65535) port = 0;
    }
    if (port == 0) {
        std::fprintf(stderr, "usage: read_time PORT (the simulator's port on 127.0.0.1)\n");
        return 2;
    }

    // The simulator's first device is an access controller; the time is
    // common to every family.
    Np_LoginInfo info{};
    const int handle =
        TSL_NET_DEV_Login(100, "127.0.0.1", static_cast<int>(port), "admin", "admin123", 5000, &info);
    if (handle <= 0) {
        // A handle of 0 is no failure of the device: every handle is taken.
        std::fprintf(stderr, "read_time: login failed: %d %s\n", handle,
                     handle == 0 ? "no free handle" : TSL_NET_DEV_GetErrorCodeStr(handle));
        TSL_NET_DEV_Cleanup();
        return 1;
    }

    Np_Time now{};
    const int status = TSL_NET_DEV_GetTime(handle, &now);
    if (status == 0) {
        std::printf("%04d-%02d-%02d %02d:%02d:%02d\n", now.year, now.month, now.day, now.hour, now.minute,
                    now.second);
    } else {
        std::fprintf(stderr, "read_time: reading the time failed: %d %s\n", status,
                     TSL_NET_DEV_GetErrorCodeStr(status));
    }
    const int logout = TSL_NET_DEV_Logout(handle);
    if (logout != 0) {
        std::fprintf(stderr, "read_time: logout failed: %d %s\n", logout,
                     TSL_NET_DEV_GetErrorCodeStr(logout));
    }
    TSL_NET_DEV_Cleanup();
    return status == 0 && logout == 0 ? 0 : 1;
}
