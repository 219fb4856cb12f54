#pragma once
// An output file that appears under its final name only when it is complete.
// It is written as a temporary file in the target folder (an unnamed one
// where the file system has them, else a hidden name) and takes its final
// name in one step at the end. A name is claimed only when no directory
// entry of that name exists, so a file the user has, a link planted under
// the name, or the output of another run into the same folder is never
// replaced or followed. A file that is not committed leaves nothing behind.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

namespace mv {

class TOutputFile {
public:
    // Opens a temporary file in the folder of `path`, the name the file is
    // meant to get (messages name it). Raises EFCreateError when no file can
    // be made in that folder.
    explicit TOutputFile(const std::string& path);
    // Removes the temporary file unless it was committed.
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // The file's contents go here. A failed write raises EInOutError with the
    // file's name and the system's reason.
    std::ostream& Stream();

    // Writes what is buffered and gives the file the name `path` (in the same
    // folder) if no entry of that name exists. Returns false, with the file
    // still pending, when the name is taken, so that the caller can try
    // another (nothing more may be written then). Raises EInOutError when the
    // file cannot be completed, and EFCreateError when the name cannot be
    // given for another reason.
    bool CommitNew(const std::string& path);
    // As CommitNew, but an existing file of that name is replaced in one step
    // (for an overwrite the user asked for); a link of that name is replaced,
    // not followed.
    void CommitReplacing(const std::string& path);
    // Drops the file; nothing stays behind.
    void Discard();

private:
    class TImpl;
    std::unique_ptr<TImpl> impl_;
};

// Makes SIGINT, SIGTERM and SIGHUP remove every pending temporary file before
// the process ends by the signal's default action (so the exit status stays
// the usual one). Only signals that still have their default action get the
// handler; calling it again does nothing.
void RemoveTempFilesOnSignals();

// Test seams: every write of output files fails with `error` once `bytes`
// bytes have been written since the call (a full disk); error 0 ends this.
void SetOutputWriteLimitForTests(std::uint64_t bytes, int error);
// False makes output files always use a named temporary file.
void SetUnnamedTempFilesForTests(bool allowed);

} // namespace mv
