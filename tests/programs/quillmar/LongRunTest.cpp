#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

using LongRunTest = QuillmarTest;

// Some milliseconds a run: 100,000 runs take minutes.
constexpr const char* kSlowProject = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,3,1" name="noise"><Value name="width" type="NUMBER" value="128" />
        <Value name="height" type="NUMBER" value="128" /></Node>
    <Node id="1" type="10,3,2" name="blur" /> <Node id="2" type="10,1,53" name="image">
        <Value name="loop_action" type="CHOICE" value="average" /></Node>
    <Connection from="0" outplug="image" to="1" inplug="image" />
    <Connection from="1" outplug="image" to="2" inplug="image" />
</QuillmarProject>
)";

constexpr const char* kSlowDocument = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,5" name="graph"><Value name="path" type="STRING" value="slow.qmr" />
        <Value name="iterations" type="NUMBER" value="100000" /></Node>
    <Node id="1" type="10,16,0" name="writer">
        <Value name="path" type="STRING" value="picture.png" /></Node>
    <Connection from="0" outplug="image" to="1" inplug="image" />
</QuillmarProject>
)";

TEST_F(LongRunTest, SignalsAndTheTimeoutStopAtOnceLeavingNothingBehind) {
    PackProject("slow", kSlowProject);
    PackProject("document", kSlowDocument);
    const QStringList run = {"run", "slow.qmr", "--set", "iterations=100000", "-o", "out"};
    const struct {
        QStringList arguments;
        int signal_number;  // Sent once the progress line shows runs; 0 for none.
        int exit_code;
        const char* message;
    } cases[] = {
        {run, SIGINT, 130, "stopped by SIGINT"},
        {{"render", "document.qmr", "-o", "out"}, SIGTERM, 143, "stopped by SIGTERM"},
        {run + QStringList{"--timeout", "0.5"}, 0, 124, "stopped after the --timeout of 0.5 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess process;
        Start(process, QStringList(c.arguments) << "--progress", m_folder / "tmp");
        ASSERT_TRUE(process.waitForStarted());
        process.setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (c.signal_number != 0 && !err.contains(" runs") && process.waitForReadyRead(10000)) {
            err += process.readAllStandardError();
        }
        const auto sent = std::chrono::steady_clock::now();
        if (c.signal_number != 0) {
            ASSERT_TRUE(err.contains(" runs")) << err.toStdString();
            kill(pid_t(process.processId()), c.signal_number);
        }
        ASSERT_TRUE(process.waitForFinished(20000));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
        err += process.readAllStandardError();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.exit_code) << err.toStdString();
        // The last line says why, after the progress line was cleared.
        EXPECT_TRUE(err.trimmed().split('\n').last().contains(c.message)) << err.toStdString();
        EXPECT_LT(seconds, c.signal_number != 0 ? 2.0 : 5.0);
        EXPECT_EQ(Entries(m_folder / "out"), std::vector<std::string>());
        EXPECT_EQ(Entries(m_folder / "tmp"), std::vector<std::string>());
    }
}

TEST_F(LongRunTest, TemporaryFoldersOfProcessesThatAreGoneAreRemovedByTheNextRun) {
    PackProject("slow", kSlowProject);
    const pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    ASSERT_GT(gone, 0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string dead = std::to_string(gone), alive = std::to_string(getpid());
    // Only the first is a folder of a process that is gone; the run's own is gone again too.
    const std::vector<std::string> folders = {
        "quillmar-" + dead + "-0b5e", "other-" + dead + "-0b5e", "quillmar-" + dead,
        "quillmar-" + alive + "-0b5e", "quillmar-x" + dead + "-0b5e"};
    for (const std::string& name : folders) {
        WriteText(m_folder / "tmp" / name / "Project.xml", kSlowProject);
    }
    EXPECT_EQ(Run({"info", "slow.qmr"}, m_folder / "tmp").m_exit_code, 0);
    std::vector<std::string> kept(folders.begin() + 1, folders.end());
    std::ranges::sort(kept);
    EXPECT_EQ(Entries(m_folder / "tmp"), kept);
}

}  // namespace
