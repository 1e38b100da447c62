#pragma once
// Reading a compiled help file (.chm) through chmlib: its file list and the
// bytes of one file. No Qt: the command line and the tests read it too.

#include <memory>
#include <string>
#include <vector>

struct chmFile;

namespace tralcon {

class TChmArchive {
  public:
    // Opens the file; Valid() tells whether it is a help file at all.
    explicit TChmArchive(const std::string& path);
    ~TChmArchive();
    TChmArchive(const TChmArchive&) = delete;
    TChmArchive& operator=(const TChmArchive&) = delete;

    bool Valid() const { return FFile != nullptr; }
    // The files (not folders, not the format's own "/#" and "/$" entries),
    // each as "/index.htm".
    std::vector<std::string> Files() const;
    // The file's bytes; false when the archive has no such file or it cannot
    // be read whole. A path without the leading "/" is taken as from the top.
    bool Read(const std::string& path, std::string* bytes) const;

  private:
    chmFile* FFile = nullptr;
};

} // namespace tralcon
