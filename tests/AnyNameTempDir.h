// A temporary folder for Qt tests that holds names in any encoding. QTemporaryDir removes its
// content through QDir, which reads names as UTF-8 and leaves behind a file whose name is not (a
// Latin-1 name deleted to the trash); this one removes it byte by byte.
#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <filesystem>
#include <system_error>

namespace txtest {

class TAnyNameTempDir : public QTemporaryDir {
public:
    TAnyNameTempDir() { setAutoRemove(false); }
    ~TAnyNameTempDir() {
        if (!isValid()) return;
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(path()).toStdString(), ignored);
    }
};

} // namespace txtest
