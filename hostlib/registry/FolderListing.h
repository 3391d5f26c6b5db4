#pragma once

#include <string>
#include <vector>

// Where the host looks for files to load: folder lists from the environment and the files in them.
class FolderListing {
public:
    // The non-empty entries of a colon-separated list, in order.
    static std::vector<std::string> SplitPathList(const std::string& list);
    // The regular files of each folder whose names end in `extension` (".so"), folders in the
    // given order and files in name order, as absolute paths. A folder that cannot be read adds
    // "<folder>: cannot read the <kind> folder: <reason>" to `errors`.
    static std::vector<std::string> ListFiles(const std::vector<std::string>& folders,
                                              const std::string& extension, const std::string& kind,
                                              std::vector<std::string>& errors);
};
