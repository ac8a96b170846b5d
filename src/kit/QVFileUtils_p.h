// Internals of the file utilities, exposed for their tests.
#ifndef QV_FILE_UTILS_P_H
#define QV_FILE_UTILS_P_H

#include "kit/QVFilePath.h"

// The temporary directory for a value of $TMPDIR (null or empty: the C
// library's default), in the system's form, ending in "/".
QVString QVLowTemporaryDirText(const char* tmpdir);

// Resources and application directories of the application whose bundle (or
// plain executable directory) is bundle. A path ending in ".app" is a bundle:
// its resources lie in Contents/Resources and the application directory is
// the one that holds it. Any other path serves as both. Results end in "/".
void QVLowBundleDirPaths(const QVFilePath& bundle, QVFilePath& resources,
                         QVFilePath& application);

#endif
