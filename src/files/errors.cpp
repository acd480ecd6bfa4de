#include "errors.h"

#include "posixerror.h"

#include <cerrno>
#include <cstring>

namespace quill::files {

namespace {

class ProblemCategory final : public std::error_category {
public:
    const char *name() const noexcept override { return "quill.files"; }
    std::string message(int value) const override
    {
        return reasonText(make_error_code(Problem(value))).toStdString();
    }
};

QString reasonOf(int error)
{
    switch (error) {
    case 0:
        return QString();
    case -int(Problem::Directory):
        return QStringLiteral("nem fájl, hanem mappa áll a helyén");
    case -int(Problem::Pipe):
        return QStringLiteral("nem fájl, hanem adatcsatorna (FIFO) áll a helyén");
    case -int(Problem::Socket):
        return QStringLiteral("nem fájl, hanem hálózati csatlakozó (socket) áll a helyén");
    case -int(Problem::Device):
        return QStringLiteral("nem fájl, hanem eszköz áll a helyén");
    case -int(Problem::TooLarge):
        return QStringLiteral("a fájl túl nagy ahhoz, hogy emlékeztetőket tartalmazzon");
    case ENOSPC:
        return QStringLiteral("betelt a lemez, nincs több szabad hely");
    case EDQUOT:
        return QStringLiteral("elfogyott a felhasználónak jutó lemezterület (kvóta)");
    case EACCES:
    case EPERM:
        return QStringLiteral("nincs hozzá jogosultság");
    case EROFS:
        return QStringLiteral("a lemez csak olvasható");
    case ENOENT:
        return QStringLiteral("a fájl vagy a mappája nem létezik");
    case ENOTDIR:
        return QStringLiteral("az útvonal egyik tagja nem mappa");
    case EISDIR:
        return QStringLiteral("nem fájl, hanem mappa áll a helyén");
    case ELOOP:
        return QStringLiteral("a hivatkozások körbe mutatnak");
    case ENAMETOOLONG:
        return QStringLiteral("túl hosszú az útvonal");
    case EIO:
        return QStringLiteral("írási vagy olvasási hiba, a lemez hibás lehet");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("túl sok fájl van megnyitva");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("a fájlt egy másik program használja");
    case ENOLCK:
        return QStringLiteral("ezen a lemezen nem lehet fájlt zárolni");
    case EEXIST:
        return QStringLiteral("már létezik ilyen nevű fájl");
    default:
        return QStringLiteral("rendszerhiba (%1: %2)")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace

const std::error_category &problemCategory()
{
    static const ProblemCategory category;
    return category;
}

std::error_code make_error_code(Problem problem)
{
    return {int(problem), problemCategory()};
}

std::error_code systemError(int errnoValue)
{
    return toError(errnoValue);
}

bool isNotAFile(const std::error_code &error)
{
    return error.category() == problemCategory() && error.value() != int(Problem::TooLarge);
}

QString reasonText(const std::error_code &error)
{
    if (!error)
        return QString();
    if (error.category() == problemCategory())
        return reasonOf(-error.value());
    return reasonOf(error.value());
}

} // namespace quill::files
