#pragma once
// Names that come from outside (a drop, the settings file, a picture by name, an
// archive, the tool's arguments) are opened here, and only a regular file is:
// a pipe, a device, a socket or a folder is refused at once, before anything is
// read. Opening a pipe would wait for a writer, and /dev/zero never ends.
#include <cstdint>
#include <string>

#ifdef _WIN32
// CreateFileW of name (CP932; a character CP932 lacks in the reserved form of
// FromUtf8Name) with the system's access, share and disposition values; -1 with the last error set when it cannot be opened, ERROR_BAD_FILE_TYPE
// when it is no regular file.
intptr_t OpenRegularFile(const std::string& name, uint32_t access, uint32_t share, uint32_t disposition);
#else
// open(2) of path (the system's bytes) with flags, never waiting; the descriptor
// is blocking again when returned. -1 with errno set when it cannot be opened or
// is no regular file (EISDIR for a folder, ENODEV otherwise).
int OpenRegularFile(const std::string& path, int flags);
#endif
