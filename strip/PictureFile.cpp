#include "strip/PictureFile.h"

namespace zrm58 {

PictureFile pictureFile(const FileRead& read) {
    if (read.bytes) return PictureFile::Read;
    // A folder is as good as no file: the path names no picture at all, where a file that
    // cannot be read is one the user meant.
    if (!read.error || read.error == std::errc::is_a_directory) return PictureFile::Absent;
    return PictureFile::Unreadable;
}

} // namespace zrm58
