#include "daverror.h"

namespace quill::caldav {

DavError statusError(int status)
{
    using Kind = DavError::Kind;
    if (status >= 200 && status < 300)
        return {};
    switch (status) {
    case 401:
        return DavError::make(Kind::Auth,
                              QStringLiteral("a kiszolgáló nem fogadta el a felhasználónevet vagy "
                                             "a jelszót (401)"),
                              status);
    case 403:
        return DavError::make(
            Kind::Forbidden, QStringLiteral("a kiszolgáló megtagadta a hozzáférést (403)"), status);
    case 404:
    case 410:
        return DavError::make(Kind::NotFound,
                              QStringLiteral("a cím nem létezik a kiszolgálón (%1)").arg(status),
                              status);
    case 412:
        return DavError::make(Kind::Conflict,
                              QStringLiteral("a tétel közben a kiszolgálón is megváltozott (412)"),
                              status);
    case 507:
        return DavError::make(Kind::Server,
                              QStringLiteral("a kiszolgálón elfogyott a tárhely (507)"), status);
    default:
        break;
    }
    if (status >= 500)
        return DavError::make(Kind::Server,
                              QStringLiteral("a kiszolgáló belső hibát jelzett (%1)").arg(status),
                              status);
    return DavError::make(Kind::Refused,
                          QStringLiteral("a kiszolgáló elutasította a kérést (%1)").arg(status),
                          status);
}

} // namespace quill::caldav
