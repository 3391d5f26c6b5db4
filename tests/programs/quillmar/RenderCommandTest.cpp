#include <filesystem>
#include <string>
#include <tuple>

#include "host/Image.h"
#include "host/ImageFile.h"
#include "host/RefPtr.h"
#include "tests/programs/quillmar/QuillmarTest.h"

namespace fs = std::filesystem;

namespace {

using RenderCommandTest = QuillmarTest;

constexpr const char* kInnerProject = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,3,0"><Value name="width" type="NUMBER" value="3" />
        <Value name="height" type="NUMBER" value="5" />
        <Value name="color" type="RGBO" value="0,1,0,1" /></Node>
    <Node id="1" type="10,1,53" name="picture" />
    <Connection from="0" outplug="image" to="1" inplug="image" />
</QuillmarProject>
)";

// Writers fed directly, through a Node Graph node, by nothing, without a path, and inactive.
constexpr const char* kDocument = R"(<QuillmarProject major="1" minor="0">
    <Node id="0" type="10,3,0"><Value name="width" type="NUMBER" value="4" />
        <Value name="height" type="NUMBER" value="2" />
        <Value name="color" type="RGBO" value="1,0,0,1" /></Node>
    <Node id="1" type="10,16,0" name="direct">
        <Value name="path" type="STRING" value="sub/direct.png" /></Node>
    <Node id="2" type="10,1,5" name="graph">
        <Value name="path" type="STRING" value="inner.qmr" /></Node>
    <Node id="3" type="10,16,0" name="nested">
        <Value name="path" type="STRING" value="nested.png" /></Node>
    <Node id="4" type="10,16,0" name="unfed">
        <Value name="path" type="STRING" value="unfed.png" /></Node>
    <Node id="5" type="10,16,0" name="pathless" />
    <Node id="6" type="10,16,0" name="off" active="0">
        <Value name="path" type="STRING" value="off.png" /></Node>
    <Connection from="0" outplug="image" to="1" inplug="image" />
    <Connection from="2" outplug="picture" to="3" inplug="image" />
    <Connection from="0" outplug="image" to="5" inplug="image" />
    <Connection from="0" outplug="image" to="6" inplug="image" />
</QuillmarProject>
)";

TEST_F(RenderCommandTest, WritesEveryWritersImageAndReportsWritersThatCannotWrite) {
    PackProject("inner", kInnerProject);
    const QString document = PackProject("document", kDocument);
    const ProgramRun run = Run({"render", document, "-o", "out"});
    EXPECT_TRUE(run.m_exit_code == 1 &&
                run.m_out == "Wrote out/sub/direct.png\nWrote out/nested.png\n" &&
                run.m_err.contains("\"unfed\" has no image to write to unfed.png") &&
                run.m_err.contains("\"pathless\" has no path"))
        << run.Describe();
    EXPECT_EQ(Entries(m_folder / "out"), (std::vector<std::string>{"nested.png", "sub"}));

    // File, width, height, and the red and green of the last pixel.
    using Picture = std::tuple<uint32_t, uint32_t, float, float, float>;
    for (const auto& [file, expected] : {std::pair("out/sub/direct.png", Picture{4, 2, 1, 0, 1}),
                                         std::pair("out/nested.png", Picture{3, 5, 0, 1, 1})}) {
        std::string error;
        const RefPtr<Image> image = ImageFile::Read((m_folder / file).string(), error);
        ASSERT_TRUE(image) << file << ": " << error;
        const float* pixel = image->GetPixel(image->GetWidth() - 1, image->GetHeight() - 1);
        EXPECT_EQ(Picture(image->GetWidth(), image->GetHeight(), pixel[0], pixel[1], pixel[3]),
                  expected)
            << file;
    }
}

// A document's Writer path chooses where render writes: only inside the output folder, unless the
// user allows otherwise.
TEST_F(RenderCommandTest, WritesOnlyInsideItsFolderUnlessAllowed) {
    fs::create_directories(m_folder / "out");
    fs::create_directory_symlink(m_folder, m_folder / "out" / "link");
    const struct {
        std::string path;
        QStringList arguments;
        int exit_code;
        std::string message;
        fs::path written;
    } cases[] = {
        {"../escaped.png", {}, 2, "outside the output folder", {}},
        {(m_folder / "absolute.png").string(), {}, 2, "is absolute", {}},
        {"link/linked.png", {}, 2, "outside the output folder", {}},
        {"sub/../inside.png", {}, 0, "", m_folder / "out" / "inside.png"},
        {"../allowed.png", {"--allow-outside"}, 0, "", m_folder / "allowed.png"},
    };
    const char* kWriter = R"(<QuillmarProject major="1" minor="0">
        <Node id="0" type="10,3,0"><Value name="width" type="NUMBER" value="2" />
            <Value name="height" type="NUMBER" value="2" /></Node>
        <Node id="1" type="10,16,0" name="writer"><Value name="path" type="STRING" value="%1" />
        </Node><Connection from="0" outplug="image" to="1" inplug="image" /></QuillmarProject>)";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const QString document = PackProject("document", QString(kWriter).arg(c.path.c_str()));
        const ProgramRun run = Run(QStringList{"render", document, "-o", "out"} + c.arguments);
        EXPECT_TRUE(run.m_exit_code == c.exit_code && !c.written.empty() == fs::exists(c.written) &&
                    (c.message.empty() ? run.m_err.isEmpty()
                                       : run.m_err.contains("Writer \"writer\": path") &&
                                             run.m_err.contains(c.message.c_str())))
            << run.Describe();
        EXPECT_FALSE(fs::exists(m_folder / "escaped.png") ||
                     fs::exists(m_folder / "absolute.png") || fs::exists(m_folder / "linked.png"));
    }
}

}  // namespace
