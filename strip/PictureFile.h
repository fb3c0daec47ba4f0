#pragma once
#include "platform/FileStore.h"

namespace zrm58 {

// What the read of the background picture's path means for the background, on every system.
enum class PictureFile {
    Absent,     // nothing at the path, or a folder: the background stays as it was, unsaid
    Unreadable, // there, but it gives no bytes (no regular file, too large, not readable): said
    Read,       // bytes to decode
};
PictureFile pictureFile(const FileRead& read);

} // namespace zrm58
