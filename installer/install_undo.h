// What an installation changes, remembered before it changes it, so that a
// failed installation leaves the user's files, folders, registry and desktop
// exactly as they were.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace sv::install {

class InstallUndo {
public:
    InstallUndo() = default;
    ~InstallUndo();
    InstallUndo(const InstallUndo&) = delete;
    InstallUndo& operator=(const InstallUndo&) = delete;

    // Before the installation may write path: its present contents are kept
    // (an open descriptor: nothing is copied unless it has to be put back),
    // or that there is no such file. 0, or the errno of a file that exists
    // but cannot be read, which could not be put back.
    int rememberFile(const std::string& path);
    // Folders the installation makes (those that do not exist yet).
    void rememberFolders(const std::vector<std::string>& folders);

    // Puts everything back: the files that were not there go (which also
    // frees the room that putting the others back may need), the files that
    // were there get their own contents and permissions again, and the
    // folders made go when they are empty. Returns the paths that could not
    // be put back, each with the reason.
    std::vector<std::string> undo();

private:
    struct Saved {
        std::string path;
        int fd = -1;           // the file as it was; -1: there was none
        mode_t mode = 0;
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        struct timespec mtime {};
    };
    std::vector<Saved> files_;
    std::vector<std::string> folders_;
};

} // namespace sv::install
