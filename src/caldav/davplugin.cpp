#include "httptransport.h"

// The entry point the CalDAV client resolves when it sends its first request.
extern "C" Q_DECL_EXPORT quill::caldav::DavTransport *quillomatCreateDavTransport(QObject *parent)
{
    return new quill::caldav::HttpTransport(parent);
}
