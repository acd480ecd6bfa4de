// nevnap: the name-day calendar on the command line.

#include "cli/query.h"
#include "files/safefile.h"
#include "reminders/preferences.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>

namespace {

// Everything goes out, or the reason it could not: a full disk, a closed pipe, /dev/full.
int writeOut(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream) !=
            std::size_t(bytes.size()) ||
        std::fflush(stream) != 0)
        return errno != 0 ? errno : EIO;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QList<QByteArray> raw;
    for (int i = 1; i < argc; ++i)
        raw << QByteArray(argv[i]);
    quill::nevnap::FileToWrite file;
    // The address book the program's settings name, for --contacts without a path.
    const quill::Preferences settings = quill::loadPreferences(quill::preferencesPath());
    const quill::nevnap::ContactsDefaults contacts{settings.contactsSource,
                                                   settings.leapDayOnMarch1};
    quill::nevnap::Answer answer = quill::nevnap::answer(
        QCoreApplication::arguments().mid(1), QDate::currentDate(), raw, &file, contacts);
    if (!file.path.isEmpty()) {
        const std::error_code error =
            file.overwrite ? quill::files::writeAtomicallyNative(file.path, file.bytes)
                           : quill::files::writeNewFileNative(file.path, file.bytes);
        if (error) {
            const QString name = quill::nevnap::printable(QFile::decodeName(file.path));
            answer.exitCode = 1;
            answer.err =
                error == std::errc::file_exists
                    ? QStringLiteral("A fájl már létezik: %1 (felülírása: --force)\n").arg(name)
                    : QStringLiteral("A fájl nem írható: %1 (%2)\n")
                          .arg(name, quill::files::reasonText(error));
        }
    }
    if (const int error = writeOut(stdout, answer.out)) {
        writeOut(stderr, QStringLiteral("nevnap: a kimenet nem írható: %1\n")
                             .arg(quill::files::reasonText(quill::files::systemError(error))));
        return 1;
    }
    writeOut(stderr, answer.err);
    if (std::fclose(stdout) != 0 && answer.exitCode == 0) {
        writeOut(stderr, QStringLiteral("nevnap: a kimenet nem írható: %1\n")
                             .arg(quill::files::reasonText(
                                 quill::files::systemError(errno != 0 ? errno : EIO))));
        return 1;
    }
    return answer.exitCode;
}
