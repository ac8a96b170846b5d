// Files of the reference host on disk. Paths are the bytes given on the
// command line (on Linux usually UTF-8, but any bytes but NUL), used
// untouched in system calls and shown untouched in log messages; they never
// pass through the kit's 8-bit text encoding.
#ifndef HOST_FILES_P_H
#define HOST_FILES_P_H

#include <cstdint>
#include <string>

#include "bridge/HostFd.h"

// Opens path for reading. What is not a regular file (a directory, a FIFO, a
// device) is refused before it is opened and checked again on the open
// descriptor, which is opened without blocking so that a FIFO with no
// writer cannot hold the host up. fd receives the descriptor (close-on-exec,
// blocking reads). 0, or logged with the path: kQVErrFileOpen (missing,
// not permitted), kQVErrNotAFile.
int32_t HostOpenRegularFileForRead(const std::string& path, HostFd& fd);

// The file a document path stands for: the path itself or, when its last
// component is a symbolic link, the file that link leads to (through any
// further links; a relative link counts from the link's own folder). The
// target need not exist yet. Folders on the way are left as written. 0, or
// kQVErrFileOpen (logged) for a link that cannot be read or a chain of more
// than 40 links.
int32_t HostResolveDocumentPath(const std::string& path, std::string& target);

#endif
