// What loading and unloading the library prints and whether exit is clean.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
struct ChildRun {
    int status;
    std::string out;
};
ChildRun Child(const char* mode) {
    // The child leaves its simulator running on purpose, past the library's
    // unload; ThreadSanitizer would count its threads as leaked.
    std::string command = std::string("TSAN_OPTIONS=\"${TSAN_OPTIONS:-}:report_thread_leaks=0\" ") +
                          TSL_UNLOAD_CHILD + " " + mode + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ChildRun run{-1, {}};
    if (!pipe) return run;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
    run.status = pclose(pipe);
    return run;
}
size_t JoinLines(const std::string& out) {
    size_t count = 0;
    for (size_t p = out.find("join thread "); p != std::string::npos; p = out.find("join thread ", p + 1))
        ++count;
    return count;
}
}  // namespace

TEST(Unload, PoolNeverUsedPrintsNothing) {
    ChildRun run = Child("idle");
    EXPECT_EQ(0, run.status) << run.out;
    EXPECT_EQ(0u, JoinLines(run.out));
}

TEST(Unload, UsedPoolJoinsSixteenWorkers) {
    ChildRun run = Child("events");
    EXPECT_EQ(0, run.status) << run.out;
    EXPECT_EQ(16u, JoinLines(run.out));
}

TEST(Unload, CleanExitWithDevicesLoggedIn) {
    for (int i = 0; i < 5; ++i) {
        ChildRun run = Child("login");
        ASSERT_EQ(0, run.status) << run.out;
    }
}
