#include "host/ScopedTemporaryDirectory.h"

#include <boost/filesystem.hpp>
#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

namespace fs = boost::filesystem;

ScopedTemporaryDirectory::~ScopedTemporaryDirectory() {
    Remove();
}

bool ScopedTemporaryDirectory::Create(std::string& error) {
    Remove();
    boost::system::error_code code;
    const fs::path temporary = fs::temp_directory_path(code);
    if (code) {
        error = "cannot find the temporary folder: " + code.message();
        return false;
    }
    const fs::path path = temporary / boost::uuids::to_string(boost::uuids::random_generator()());
    // A folder that exists already is not ours to use or remove.
    if (!fs::create_directory(path, code)) {
        error = "cannot create the temporary folder " + path.string() + ": " +
                (code ? code.message() : std::string("it exists already"));
        return false;
    }
    m_path = path.string();
    return true;
}

bool ScopedTemporaryDirectory::MakeCurrent(std::string& error) {
    boost::system::error_code code;
    const fs::path previous = fs::current_path(code);
    if (code) {
        error = "cannot read the working directory: " + code.message();
        return false;
    }
    fs::current_path(m_path, code);
    if (code) {
        error = "cannot enter the temporary folder " + m_path + ": " + code.message();
        return false;
    }
    if (m_previous_directory.empty()) {
        m_previous_directory = previous.string();
    }
    return true;
}

void ScopedTemporaryDirectory::Remove() {
    boost::system::error_code code;
    if (!m_previous_directory.empty()) {
        fs::current_path(m_previous_directory, code);
        m_previous_directory.clear();
    }
    if (!m_path.empty()) {
        fs::remove_all(m_path, code);
        m_path.clear();
    }
}
