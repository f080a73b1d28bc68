#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <string>
#include <sys/wait.h>

namespace {

struct Report {
    int exitCode = -1;
    std::string line; // what measure_run printed
    double seconds = -1;
    long peakKib = -1;
    int status = -1;
};

// Runs measure_run with arguments (a shell-quoted string) and reads back its one line.
Report measureRun(const std::string& arguments) {
    Report report;
    std::FILE* pipe = popen((std::string(MEASURE_RUN) + " " + arguments).c_str(), "r");
    if (!pipe) return report;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        report.line += buffer;
    const int waitStatus = pclose(pipe);
    if (WIFEXITED(waitStatus)) report.exitCode = WEXITSTATUS(waitStatus);
    std::sscanf(report.line.c_str(), "%lf %ld %d", &report.seconds, &report.peakKib,
                &report.status);
    return report;
}

TEST(MeasureRunTest, ReportsHowTheChildEnded) {
    struct Case {
        const char* command;
        int exitCode; // of measure_run
        int status;   // the child's, as reported
    };
    const Case cases[] = {
        {"sh -c 'exit 0'", 0, 0},
        {"sh -c 'exit 3'", 1, 3},
        {"sh -c 'kill -KILL $$'", 1, 128 + 9},
        {"/nonexistent/loader file.msh", 1, 127},
    };
    for (const Case& c : cases) {
        const Report report = measureRun(c.command);
        EXPECT_EQ(report.exitCode, c.exitCode) << c.command;
        EXPECT_EQ(report.status, c.status) << c.command << ": " << report.line;
        EXPECT_GE(report.seconds, 0) << c.command;
    }
    EXPECT_EQ(measureRun("").exitCode, 2);
    EXPECT_EQ(measureRun("--output").exitCode, 2);
}

TEST(MeasureRunTest, MeasuresTheChildNotItself) {
    // dd reads into one block of 64 MiB, so all of it is resident at once.
    const Report big = measureRun("dd if=/dev/zero of=/dev/null bs=64M count=1 2>/dev/null");
    ASSERT_EQ(big.exitCode, 0) << big.line;
    EXPECT_GE(big.peakKib, 64 * 1024);
    const Report small = measureRun("sh -c 'exit 0'");
    EXPECT_LT(small.peakKib, 16 * 1024);
    // The wall time spans the child's whole life.
    EXPECT_GE(measureRun("sleep 0.3").seconds, 0.3);
}

TEST(MeasureRunTest, OutputFileTakesTheChildsOutputOnly) {
    char pattern[] = "/tmp/korvalin-measure-run-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    const std::string output = (folder / "child.txt").string();
    const Report report = measureRun("--output " + output + " sh -c 'echo out; echo err >&2'");
    std::ifstream stream(output);
    std::ostringstream text;
    text << stream.rdbuf();
    std::filesystem::remove_all(folder);
    EXPECT_EQ(report.exitCode, 0);
    EXPECT_EQ(text.str(), "out\nerr\n");
    EXPECT_EQ(report.line.find("out"), std::string::npos) << report.line;
    EXPECT_EQ(measureRun("--output /nonexistent/dir/child.txt true").exitCode, 2);
}

} // namespace
