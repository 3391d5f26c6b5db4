// Loading: a Node Graph node reading a generated project of 1,000, 10,000 and 100,000 nodes,
// against unpacking its "Project.xml" and parsing and walking it with TinyXML alone; and a read of
// a file the process has read before.
#include <benchmark/benchmark.h>
#include <tinyxml.h>
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench/ProjectRunner.h"
#include "host/Container.h"

namespace {

// A chain of Math nodes between a Number IO input and output of one name: every node carries
// values, every node but the first is fed by a connection.
std::string GenerateProjectXml(int num_nodes) {
    std::string xml = "<?xml version=\"1.0\" ?>\n<QuillmarProject major=\"1\" minor=\"0\">\n";
    xml +=
        "    <Node id=\"0\" type=\"10,1,26\" name=\"x\">\n"
        "        <Value name=\"loop_action\" type=\"CHOICE\" value=\"replace\" />\n"
        "    </Node>\n";
    const int last = num_nodes - 1;
    for (int id = 1; id < last; ++id) {
        xml += "    <Node id=\"" + std::to_string(id) + "\" type=\"10,2,1\" name=\"step" +
               std::to_string(id) + "\">\n";
        xml += "        <Value name=\"operation\" type=\"CHOICE\" value=\"add\" />\n";
        xml += "        <Value name=\"a\" type=\"NUMBER\" value=\"0\" />\n";
        xml += "        <Value name=\"b\" type=\"NUMBER\" value=\"0.25\" />\n";
        xml += "    </Node>\n";
    }
    xml += "    <Node id=\"" + std::to_string(last) +
           "\" type=\"10,1,26\" name=\"x\">\n"
           "        <Value name=\"loop_action\" type=\"CHOICE\" value=\"replace\" />\n"
           "    </Node>\n";
    for (int id = 1; id <= last; ++id) {
        xml += "    <Connection from=\"" + std::to_string(id - 1) + "\" outplug=\"number\" to=\"" +
               std::to_string(id) + "\" inplug=\"" + (id == last ? "number" : "a") + "\" />\n";
    }
    xml += "</QuillmarProject>\n";
    return xml;
}

// The project file of that many nodes, written once.
const std::string& ProjectPath(int num_nodes) {
    static std::map<int, std::string> paths;
    auto found = paths.find(num_nodes);
    if (found != paths.end()) {
        return found->second;
    }
    const std::filesystem::path folder =
        std::filesystem::path(ProjectRunner::Folder()) / ("nodes" + std::to_string(num_nodes));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Project.xml", std::ios::binary) << GenerateProjectXml(num_nodes);
    const std::string path = folder.string() + ".qmr";
    std::string error;
    if (!CompressFiles(folder.string(), {"Project.xml"}, path, error)) {
        std::fprintf(stderr, "benchmark setup: %s\n", error.c_str());
        std::exit(2);
    }
    return paths.emplace(num_nodes, path).first->second;
}

// `changed`: the file is touched before each read, so that it is unpacked and parsed every time
// instead of coming from the process's kept projects.
void ReadProject(benchmark::State& state, bool changed) {
    const std::string& path = ProjectPath(int(state.range(0)));
    for (auto _ : state) {
        if (changed) {
            state.PauseTiming();
            std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now());
            state.ResumeTiming();
        }
        auto* runner = new ProjectRunner;
        std::string error;
        if (!runner->Read(path, error)) {
            state.SkipWithError(error.c_str());
        }
        if (runner->GetNode().GetNumOutplugs() != 1) {
            state.SkipWithError("the project's output is missing");
        }
        // Dropping the graph is not part of loading it.
        state.PauseTiming();
        delete runner;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Load_ReadProject(benchmark::State& state) {
    ReadProject(state, true);
}

void Load_ReadProjectKept(benchmark::State& state) {
    ReadProject(state, false);
}

// The floor: the archive entry read into memory, parsed, and every attribute the reader needs
// looked at once.
void Load_Floor(benchmark::State& state) {
    const std::string& path = ProjectPath(int(state.range(0)));
    for (auto _ : state) {
        int code = 0;
        zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
        zip_stat_t stat;
        zip_file_t* file = archive ? zip_fopen(archive, "Project.xml", 0) : nullptr;
        if (!file || zip_stat(archive, "Project.xml", 0, &stat) != 0) {
            state.SkipWithError("cannot read the archive");
            break;
        }
        std::string text(size_t(stat.size), '\0');
        zip_fread(file, text.data(), stat.size);
        zip_fclose(file);
        zip_close(archive);

        TiXmlDocument document;
        document.Parse(text.c_str());
        const TiXmlElement* root = document.FirstChildElement("QuillmarProject");
        if (!root) {
            state.SkipWithError("cannot parse the project");
            break;
        }
        size_t seen = 0;
        int number = 0;
        for (const TiXmlElement* node = root->FirstChildElement("Node"); node;
             node = node->NextSiblingElement("Node")) {
            node->QueryIntAttribute("id", &number);
            seen += size_t(number) + (node->Attribute("type") != nullptr) +
                    (node->Attribute("name") != nullptr);
            for (const TiXmlElement* value = node->FirstChildElement("Value"); value;
                 value = value->NextSiblingElement("Value")) {
                seen += (value->Attribute("name") != nullptr) +
                        (value->Attribute("type") != nullptr) +
                        (value->Attribute("value") != nullptr);
            }
        }
        for (const TiXmlElement* connection = root->FirstChildElement("Connection"); connection;
             connection = connection->NextSiblingElement("Connection")) {
            connection->QueryIntAttribute("from", &number);
            seen += size_t(number);
            connection->QueryIntAttribute("to", &number);
            seen += size_t(number) + (connection->Attribute("outplug") != nullptr) +
                    (connection->Attribute("inplug") != nullptr);
        }
        benchmark::DoNotOptimize(seen);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(Load_ReadProject)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Load_ReadProjectKept)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(Load_Floor)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
