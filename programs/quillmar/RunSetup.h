#pragma once

#include <string>

#include "programs/quillmar/ProjectNode.h"

// How `quillmar run` sets a project node's attributes and feeds its inputs from text, shared with
// the Python module so that both take the same values and refuse them with the same messages.
class RunSetup {
public:
    // Each returns an empty string when the value was taken, else the message for the user
    // (without a program prefix).
    // Sets `iterations` or a project attribute, as --set NAME=VALUE does.
    static std::string SetAttribute(ProjectNode& project, const std::string& name,
                                    const std::string& value);
    // Connects a standard source node giving the value to the input, as --input NAME=VALUE does;
    // images are read from the file path `value`.
    static std::string ConnectInput(ProjectNode& project, const std::string& name,
                                    const std::string& value);
};
