#pragma once

#include <filesystem>

// The folder the host library was loaded from (absolute), found once through the dynamic loader.
// The host's own modules and plug-in folder are found relative to it, so a build tree and an
// installed tree work alike, whatever program (or Python) loaded the library. Empty when the loader
// cannot tell.
std::filesystem::path HostLibraryFolder();
