#pragma once

// The permission bits of a file as the system keeps them, without following a link.

#include <QFile>
#include <QString>

#include <sys/stat.h>

// -1 when there is nothing at path.
inline int modeOf(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 0777);
}
