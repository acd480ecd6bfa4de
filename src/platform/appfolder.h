#pragma once

#include <QString>

namespace quill {

/// The program's own folder and the files that lie beside the program.
class AppFolder {
public:
    explicit AppFolder(QString dir)
        : m_dir(std::move(dir))
    {
    }
    /// The folder of the running executable.
    static AppFolder ofExecutable();

    const QString &dir() const { return m_dir; }
    QString file(const QString &name) const;

    /// Where remembers.txt lives: in the user's data folder, unless a remembers.txt already lies
    /// beside the program (a portable copy). `userDataDir` empty means the standard one.
    QString reminderFile(const QString &userDataDir = {}) const;

private:
    QString m_dir;
};

} // namespace quill
