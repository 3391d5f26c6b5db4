#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "RecordingNode.h"
#include "TestFolder.h"
#include "TestNodeFactory.h"
#include "host/Attribute.h"
#include "host/Container.h"
#include "host/NodeGraph.h"
#include "host/ProjectFile.h"
#include "host/RefPtr.h"

namespace fs = std::filesystem;

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

// Packs the given files (name, content) into a project file.
fs::path MakeProject(const fs::path& folder, const std::string& name, const Files& files) {
    const fs::path source = folder / (name + ".content");
    fs::create_directories(source);
    std::vector<std::string> names;
    for (const auto& [file, content] : files) {
        fs::create_directories((source / file).parent_path());
        TestFolder::WriteText(source / file, content);
        names.push_back(file);
    }
    const fs::path path = folder / name;
    std::string error;
    EXPECT_TRUE(CompressFiles(source.string(), names, path.string(), error)) << error;
    return path;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

class ProjectProblemsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(TestNodeFactory<RecordingNode>::Register()); }

    TestFolder m_folder;
};

TEST_F(ProjectProblemsTest, RecoverableProblemsAreNamedAndTheRestIsRead) {
    const std::string xml = R"(<?xml version="1.0" ?>
<QuillmarProject major="1" minor="7">
    <FutureElement meaning="ignored" />
    <Node id="10" type="900,1,1" name="good" definitions="sub/good.txt">
        <Value name="gain" type="NUMBER" value="2.5" />
        <Value name="extra_a" type="NUMBER" value="7" />
        <Value name="kept_later" type="STRING" value="for later" />
    </Node>
    <Node id="3" type="900,1,1" name="faulty" active="maybe" definitions="missing.txt">
        <Value name="gain" type="POINT" value="1,2" />
        <Value name="offset" type="POINT" value="1;2" />
        <Value name="mystery" type="NUMBER" value="1" />
        <Value name="mode" type="COLOR" value="red" />
        <Value name="label" type="STRING" value="fail post load" />
    </Node>
    <Node id="4" type="999,9,9" name="unknown">
        <Value name="gain" type="NUMBER" value="1" />
    </Node>
    <Node id="5" type="abc" name="untyped" />
    <Node id="10" type="900,1,1" name="duplicate" />
    <Node id="6" type="900,1,1" name="escaping" definitions="../outside.txt" />
    <Node id="7" type="900,1,1" name="old" />
    <Node id="8" type="900,1,1" name="new" version="2" />
    <Connection from="10" outplug="out" to="3" inplug="in" to_index="1" />
    <Connection from="7" outplug="old_out" to="10" inplug="in" />
    <Connection from="8" outplug="old_out" to="10" inplug="layer" />
    <Connection from="4" outplug="out" to="10" inplug="in" />
    <Connection from="42" outplug="out" to="10" inplug="in" />
    <Connection from="10" outplug="out" to="3" inplug="nope" />
    <Connection from="10" outplug="text" to="3" inplug="gain" />
    <Connection from="10" outplug="out" to="3" to_index="x" />
</QuillmarProject>
)";
    const fs::path path = MakeProject(m_folder.GetPath(), "problems.qmr",
                                      {{"Project.xml", xml}, {"sub/good.txt", "extra_a\n"}});

    RefPtr<NodeGraph> graph = new NodeGraph();
    const Status status = ProjectFile::Read(path.string(), *graph);
    EXPECT_EQ(status.GetCode(), 1);
    const std::vector<std::string> expected = {
        "node 3 (\"faulty\"): unreadable active flag \"maybe\"",
        "node 3 (\"faulty\"): cannot load the definitions file \"missing.txt\"",
        "node 3 (\"faulty\"), value \"gain\": saved as POINT but the attribute is NUMBER",
        "node 3 (\"faulty\"), value \"offset\": unreadable POINT text \"1;2\"",
        "node 3 (\"faulty\"), value \"mystery\": value of unknown attribute",
        "node 3 (\"faulty\"), value \"mode\": unknown type \"COLOR\"",
        "node 4 (\"unknown\"): unknown node type 999,9,9",
        "node 5 (\"untyped\"): unreadable node type \"abc\"",
        "node id 10 is used twice",
        "node 6 (\"escaping\"): definitions file \"../outside.txt\" lies outside the project",
        "node 3 (\"faulty\"): post load failed on purpose",
        "connection from node 8 \"old_out\" to node 10 \"layer\": the outplug does not exist",
        "connection from node 42 \"out\" to node 10 \"in\": node 42 does not exist",
        "connection from node 10 \"out\" to node 3 \"nope\": the inplug does not exist",
        "connection from node 10 \"text\" to node 3 \"gain\": the plugs carry different value "
        "types",
        "a connection with missing or unreadable attributes is skipped",
    };
    const std::vector<std::string> lines = Lines(status.GetMessage());
    EXPECT_EQ(lines.size(), expected.size()) << status.GetMessage();
    for (const std::string& problem : expected) {
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& line) {
                                    return line.find(problem) != std::string::npos;
                                }),
                  1)
            << problem << "\nin:\n"
            << status.GetMessage();
    }

    ASSERT_EQ(graph->GetNumNodes(), 5u);
    auto* good = static_cast<RecordingNode*>(graph->GetNode(0));
    auto* faulty = static_cast<RecordingNode*>(graph->GetNode(1));
    EXPECT_EQ(good->GetName(), "good");
    EXPECT_EQ(faulty->GetName(), "faulty");
    EXPECT_EQ(graph->GetNode(2)->GetName(), "escaping");
    EXPECT_EQ(graph->GetNode(2)->GetNumAttributes(), 7u);
    EXPECT_EQ(good->GetAttribute("gain")->GetNumber(), 2.5);
    EXPECT_EQ(good->GetAttribute("extra_a")->GetNumber(), 7.0);
    ASSERT_EQ(good->GetRecords().size(), 1u);
    EXPECT_EQ(good->GetRecords()[0].m_name, "kept_later");
    EXPECT_EQ(good->GetRecords()[0].m_type_word, "STRING");
    EXPECT_EQ(good->GetRecords()[0].m_value, "for later");
    EXPECT_EQ(faulty->GetAttribute("gain")->GetNumber(), 1.0);
    EXPECT_EQ(faulty->GetAttribute("offset")->GetValueText(),
              RecordingNode().GetAttribute("offset")->GetValueText());
    EXPECT_TRUE(faulty->IsActive());

    EXPECT_EQ(faulty->GetInplugNode(faulty->FindInplug("in", 1)), good);
    EXPECT_EQ(good->GetInplugNode(good->FindInplug("in", 0)), graph->FindNode("old"));
    EXPECT_EQ(good->GetInplugNodeOutplug(good->FindInplug("in", 0)),
              graph->FindNode("old")->FindOutplug("out"));
    EXPECT_EQ(good->GetNumConnectedToInplug(), 1u);
    EXPECT_EQ(faulty->GetNumConnectedToInplug(), 1u);
}

TEST_F(ProjectProblemsTest, FilesThatAreNotProjectsAreRefusedCleanly) {
    // Temporary folders of this test go here, to see that none is left behind.
    const fs::path temporary = m_folder.GetPath() / "tmp";
    fs::create_directory(temporary);
    const char* saved_tmpdir = ::getenv("TMPDIR");
    const std::string saved = saved_tmpdir ? saved_tmpdir : "";
    ::setenv("TMPDIR", temporary.c_str(), 1);

    const fs::path folder = m_folder.GetPath();
    TestFolder::WriteText(folder / "text.qmr", "not an archive");
    const std::vector<std::pair<fs::path, std::string>> cases = {
        {folder / "absent.qmr", "absent.qmr"},
        {folder / "text.qmr", "text.qmr"},
        {MakeProject(folder, "empty.qmr", {{"Other.xml", "<x/>"}}), "Project.xml"},
        {MakeProject(folder, "broken.qmr", {{"Project.xml", "<QuillmarProject major=\"1\""}}),
         "Project.xml"},
        {MakeProject(folder, "other.qmr", {{"Project.xml", "<Other major=\"1\" minor=\"0\"/>"}}),
         "no QuillmarProject element"},
        {MakeProject(folder, "nomajor.qmr", {{"Project.xml", "<QuillmarProject minor=\"0\"/>"}}),
         "\"major\""},
        {MakeProject(folder, "badminor.qmr",
                     {{"Project.xml", "<QuillmarProject major=\"1\" minor=\"x\"/>"}}),
         "\"minor\""},
    };
    const fs::path working_directory = fs::current_path();
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path.filename().string());
        RefPtr<NodeGraph> graph = new NodeGraph();
        const Status status = ProjectFile::Read(path.string(), *graph);
        EXPECT_EQ(status.GetCode(), 2);
        EXPECT_NE(status.GetMessage().find(reason), std::string::npos) << status.GetMessage();
        EXPECT_EQ(graph->GetNumNodes(), 0u);
        EXPECT_EQ(fs::current_path(), working_directory);
        EXPECT_TRUE(fs::is_empty(temporary));
    }

    // Any pair of integer versions is read.
    const fs::path odd = MakeProject(
        folder, "odd.qmr", {{"Project.xml", "<QuillmarProject major=\"-3\" minor=\"12\"/>"}});
    RefPtr<NodeGraph> graph = new NodeGraph();
    EXPECT_EQ(ProjectFile::Read(odd.string(), *graph).GetCode(), 0);
    EXPECT_TRUE(fs::is_empty(temporary));

    // A node that throws while the project is read leaves nothing behind either.
    const fs::path throwing = MakeProject(folder, "throwing.qmr", {{"Project.xml", R"(
<QuillmarProject major="1" minor="0">
    <Node id="0" type="900,1,1"><Value name="label" type="STRING" value="throw in post load"/></Node>
</QuillmarProject>)"}});
    EXPECT_THROW(ProjectFile::Read(throwing.string(), *graph), std::runtime_error);
    EXPECT_EQ(fs::current_path(), working_directory);
    EXPECT_TRUE(fs::is_empty(temporary));

    if (saved_tmpdir) {
        ::setenv("TMPDIR", saved.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}

}  // namespace
