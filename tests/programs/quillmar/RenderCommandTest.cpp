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
    EXPECT_EQ(run.m_exit_code, 1) << run.Describe();
    EXPECT_EQ(run.m_out.toStdString(), "Wrote out/sub/direct.png\nWrote out/nested.png\n");
    for (const char* message :
         {"\"unfed\" has no image to write to unfed.png", "\"pathless\" has no path"}) {
        EXPECT_TRUE(run.m_err.contains(message)) << message << "\n" << run.Describe();
    }
    EXPECT_FALSE(fs::exists(m_folder / "out/unfed.png") || fs::exists(m_folder / "out/off.png"));

    // File, width, height, and the red and green of the last pixel.
    const std::tuple<const char*, uint32_t, uint32_t, float, float> expected[] = {
        {"out/sub/direct.png", 4, 2, 1.0f, 0.0f}, {"out/nested.png", 3, 5, 0.0f, 1.0f}};
    for (const auto& [file, width, height, red, green] : expected) {
        std::string error;
        const RefPtr<Image> image = ImageFile::Read((m_folder / file).string(), error);
        ASSERT_TRUE(image) << file << ": " << error;
        const float* pixel = image->GetPixel(image->GetWidth() - 1, image->GetHeight() - 1);
        EXPECT_TRUE(image->GetWidth() == width && image->GetHeight() == height && pixel[0] == red &&
                    pixel[1] == green && pixel[3] == 1.0f)
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
        EXPECT_EQ(run.m_exit_code, c.exit_code) << run.Describe();
        EXPECT_TRUE(c.message.empty() ? run.m_err.isEmpty()
                                      : run.m_err.contains("Writer \"writer\": path") &&
                                            run.m_err.contains(c.message.c_str()))
            << run.Describe();
        EXPECT_EQ(!c.written.empty(), fs::exists(c.written)) << run.Describe();
        for (const char* outside : {"escaped.png", "absolute.png", "linked.png"}) {
            EXPECT_FALSE(fs::exists(m_folder / outside)) << outside;
        }
    }
}

}  // namespace
