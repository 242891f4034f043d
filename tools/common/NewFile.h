// A file written under a temporary name beside its final one and given the
// final name only when complete. The temporary is created afresh
// (O_CREAT | O_EXCL | O_NOFOLLOW): never through a link someone planted at
// that name, never over a file already there. In a shared folder a planted
// name is left alone and another, unpredictable name is taken instead.
#pragma once

#include <string>

namespace tools {

class NewFile {
public:
    NewFile() = default;
    ~NewFile() { discard(); }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Creates the temporary for `finalPath`: FINAL.part, or FINAL.RANDOM.part
    // when something is at that name. False (with `error`) when neither can be made.
    bool create(const std::string& finalPath, std::string& error);

    int fd() const { return fd_; }
    const std::string& temporaryPath() const { return temporary_; }

    // Gives up the descriptor (to a FILE, say); commit and discard then
    // leave closing it to the new owner.
    int release();

    // Closes the file (unless released) and renames it over the final name
    // (a link there is replaced, not followed). False (with `error`) and
    // the temporary deleted when that fails.
    bool commit(std::string& error);

    // Closes and deletes the temporary, if there is one.
    void discard();

private:
    int fd_ = -1;
    std::string temporary_;
    std::string final_;
};

}  // namespace tools
