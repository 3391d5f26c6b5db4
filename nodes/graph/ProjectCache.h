#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include <tinyxml.h>

#include "host/Status.h"

// Project files read once per process. The Project.xml of a read file is kept parsed, keyed by the
// file's canonical path and checked on every use against its size, modification time, inode and
// bytes, so a changed or replaced file is read again. Every Node Graph node, and so every project
// node type, reads through it: a project used by many nodes is unpacked and parsed once.
//
// Side files (a container's files besides Project.xml) are needed on disk while a project is
// read. They are unpacked once per session, the outermost read on the thread and every read
// nested in it, into temporary folders the session removes when it ends; a file with nothing
// besides Project.xml is read in one empty folder per session. Files found inside those folders
// (projects packed inside projects) are kept for the session only.
//
// Damaged and refused files are not kept: each read refuses them again with the same reason.
// Runs on the thread that reads projects; the shared table is locked, sessions are per thread.
class ProjectCache {
public:
    // Begins a session, or joins the one under way on this thread.
    class Session {
    public:
        Session();
        ~Session();
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;
    };

    struct Project {
        TiXmlDocument m_document;
        int m_major = 0;
        int m_minor = 0;
        bool m_side_files = false;
    };

    // A project opened for reading: the folder it is read in is the working directory until
    // this goes away, which restores the previous one.
    class Opened {
    public:
        ~Opened();
        Opened(const Opened&) = delete;
        Opened& operator=(const Opened&) = delete;
        const Project& GetProject() const { return *m_project; }

    private:
        friend class ProjectCache;
        Opened() = default;
        std::shared_ptr<const Project> m_project;
        std::string m_previous_directory;
    };

    // Opens the project in `container` (an absolute path); only within a Session. Null, with the
    // reason in `error`, when the file is not a readable project or no folder can be entered;
    // the working directory is then unchanged.
    static std::unique_ptr<Opened> Open(const std::string& container, std::string& error);

    // Projects kept beyond the sessions; the least recently used goes first.
    static constexpr size_t kMaxKept = 32;
};
