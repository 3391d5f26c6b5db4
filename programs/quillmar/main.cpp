#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/Threads.h"
#include "programs/quillmar/CheckCommand.h"
#include "programs/quillmar/Command.h"
#include "programs/quillmar/GraphCommand.h"
#include "programs/quillmar/InfoCommand.h"
#include "programs/quillmar/NodesCommand.h"
#include "programs/quillmar/PackCommand.h"
#include "programs/quillmar/RenderCommand.h"
#include "programs/quillmar/RunCommand.h"
#include "programs/quillmar/StatusReport.h"
#include "programs/quillmar/UnpackCommand.h"

int main(int argc, char** argv) {
    CLI::App program("Runs and inspects Quillmar projects.", "quillmar");
    program.set_version_flag("--version", "quillmar " QM_VERSION);
    program.require_subcommand(1);
    int threads = 0;
    program
        .add_option("--threads", threads,
                    "Threads for image work (default: QUILLMAR_THREADS, or every core); results "
                    "are the same for any number")
        ->check(CLI::Range(1, 4096));
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<RunCommand>(program));
    commands.push_back(std::make_unique<InfoCommand>(program));
    commands.push_back(std::make_unique<CheckCommand>(program));
    commands.push_back(std::make_unique<RenderCommand>(program));
    commands.push_back(std::make_unique<NodesCommand>(program));
    commands.push_back(std::make_unique<PackCommand>(program));
    commands.push_back(std::make_unique<UnpackCommand>(program));
    commands.push_back(std::make_unique<GraphCommand>(program));

    try {
        program.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help is a success; every parse error is a wrong command line.
        const int code = program.exit(error);
        if (code != 0 && std::find(argv + 1, argv + argc, std::string("--json")) != argv + argc) {
            StatusReport::PrintJsonError(error.what());
        }
        return code == 0 ? Command::kExitSuccess : Command::kExitBadInput;
    }
    if (threads > 0) {
        Threads::SetLimit(threads);
    }
    for (const std::unique_ptr<Command>& command : commands) {
        if (command->IsSelected()) {
            return command->Run();
        }
    }
    return Command::kExitBadInput;
}
