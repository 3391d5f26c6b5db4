#include <filesystem>
#include <set>
#include <string>

#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

const char* const kProject = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,1,26" name="x" />
    <Node id="1" type="10,2,1" name="scale" />
    <Node id="2" type="10,1,26" name="y" />
    <Connection from="0" outplug="number" to="1" inplug="a" />
    <Connection from="1" outplug="number" to="2" inplug="number" />
</QuillmarProject>)";

class GraphCommandTest : public QuillmarTest {
protected:
    std::set<std::string> Entries() const {
        std::set<std::string> entries;
        for (const auto& entry : fs::directory_iterator(m_folder)) {
            entries.insert(entry.path().filename().string());
        }
        return entries;
    }
};

// The picture names every node and marks the input and the output; only the file named is
// written, and only when the command succeeds.
TEST_F(GraphCommandTest, WritesOnlyTheNamedPicture) {
    const QString project = PackProject("sum", kProject);
    const std::set<std::string> before = Entries();

    ProgramRun run = Run({"graph", project, "-o", "sum.svg"});
    ASSERT_EQ(run.m_exit_code, 0) << run.Describe();
    const std::string svg = ReadText(m_folder / "sum.svg");
    for (const char* text : {"<svg", "scale", "Math", "(input)", "(output)"}) {
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    }
    run = Run({"graph", project, "-o", "sum.PNG"});
    ASSERT_EQ(run.m_exit_code, 0) << run.Describe();
    EXPECT_EQ(ReadText(m_folder / "sum.PNG").substr(1, 3), "PNG");
    fs::remove(m_folder / "sum.svg");
    fs::remove(m_folder / "sum.PNG");

    const struct {
        QStringList arguments;
        const char* message;
    } failures[] = {
        {{"graph", project, "-o", "sum.txt"}, ".svg or .png"},
        {{"graph", "missing.qmr", "-o", "sum.svg"}, "missing.qmr"},
        {{"graph", project, "-o", "no/such/folder/sum.svg"}, "Cannot write"},
        {{"graph", project}, "--output"},
    };
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.arguments.join(' ').toStdString());
        run = Run(failure.arguments);
        EXPECT_EQ(run.m_exit_code, 2) << run.Describe();
        EXPECT_TRUE(run.m_err.contains(failure.message)) << run.Describe();
        EXPECT_EQ(Entries(), before);
    }
}

}  // namespace
