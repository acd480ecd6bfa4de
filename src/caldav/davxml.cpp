#include "davxml.h"

#include <QXmlStreamReader>

#include <memory>
#include <vector>

namespace quill::caldav {

namespace {

const QString dav = QStringLiteral("DAV:");
const QString cal = QStringLiteral("urn:ietf:params:xml:ns:caldav");
const QString server = QStringLiteral("http://calendarserver.org/ns/");

struct Node {
    QString ns;
    QString name;
    QString text;
    QString attribute; ///< a comp's name
    std::vector<std::unique_ptr<Node>> children;

    bool is(const QString &space, QLatin1StringView local) const
    {
        return ns == space && name == local;
    }
    const Node *child(const QString &space, QLatin1StringView local) const
    {
        for (const auto &c : children) {
            if (c->is(space, local))
                return c.get();
        }
        return nullptr;
    }
    QString childText(const QString &space, QLatin1StringView local) const
    {
        const Node *c = child(space, local);
        return c ? c->text.trimmed() : QString();
    }
};

std::unique_ptr<Node> readTree(const QByteArray &body, int maxDepth, QString *why)
{
    QXmlStreamReader xml(body);
    std::unique_ptr<Node> root;
    std::vector<Node *> stack;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            *why = QStringLiteral("dokumentumtípus-leírást (DTD) tartalmaz");
            return nullptr;
        case QXmlStreamReader::StartElement: {
            if (int(stack.size()) >= maxDepth) {
                *why = QStringLiteral("túl mélyen egymásba ágyazott elemek");
                return nullptr;
            }
            auto node = std::make_unique<Node>();
            node->ns = xml.namespaceUri().toString();
            node->name = xml.name().toString();
            node->attribute = xml.attributes().value(QStringLiteral("name")).toString();
            Node *raw = node.get();
            if (stack.empty()) {
                if (root) {
                    *why = QStringLiteral("egynél több gyökérelem");
                    return nullptr;
                }
                root = std::move(node);
            } else {
                stack.back()->children.push_back(std::move(node));
            }
            stack.push_back(raw);
            break;
        }
        case QXmlStreamReader::EndElement:
            stack.pop_back();
            break;
        case QXmlStreamReader::Characters:
            if (!stack.empty())
                stack.back()->text += xml.text();
            break;
        default:
            break;
        }
    }
    if (xml.hasError() || !root) {
        *why = QStringLiteral("hibás XML (%1. sor)").arg(xml.lineNumber());
        return nullptr;
    }
    return root;
}

int statusCode(const QString &line)
{
    // "HTTP/1.1 200 OK"
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts.at(1).toInt() : 0;
}

void readProp(const Node &prop, DavResponse &out)
{
    out.etag = prop.childText(dav, QLatin1StringView("getetag"));
    out.ctag = prop.childText(server, QLatin1StringView("getctag"));
    out.syncToken = prop.childText(dav, QLatin1StringView("sync-token"));
    out.displayName = prop.childText(dav, QLatin1StringView("displayname"));
    if (const Node *type = prop.child(dav, QLatin1StringView("resourcetype"))) {
        out.collection = type->child(dav, QLatin1StringView("collection")) != nullptr;
        out.calendar = type->child(cal, QLatin1StringView("calendar")) != nullptr;
    }
    if (const Node *set = prop.child(cal, QLatin1StringView("supported-calendar-component-set"))) {
        for (const auto &comp : set->children)
            out.components << comp->attribute.toUpper();
    }
    if (const Node *reports = prop.child(dav, QLatin1StringView("supported-report-set"))) {
        for (const auto &supported : reports->children) {
            const Node *report = supported->child(dav, QLatin1StringView("report"));
            if (report && report->child(dav, QLatin1StringView("sync-collection")))
                out.syncReport = true;
        }
    }
    if (const Node *p = prop.child(dav, QLatin1StringView("current-user-principal")))
        out.principal = p->childText(dav, QLatin1StringView("href"));
    if (const Node *h = prop.child(cal, QLatin1StringView("calendar-home-set")))
        out.calendarHome = h->childText(dav, QLatin1StringView("href"));
    if (const Node *data = prop.child(cal, QLatin1StringView("calendar-data")))
        out.calendarData = data->text.toUtf8();
}

DavResponse readResponse(const Node &response)
{
    DavResponse out;
    out.href = response.childText(dav, QLatin1StringView("href"));
    out.status = statusCode(response.childText(dav, QLatin1StringView("status")));
    for (const auto &propstat : response.children) {
        if (!propstat->is(dav, QLatin1StringView("propstat")))
            continue;
        const int status = statusCode(propstat->childText(dav, QLatin1StringView("status")));
        const Node *prop = propstat->child(dav, QLatin1StringView("prop"));
        if (prop && status >= 200 && status < 300)
            readProp(*prop, out);
    }
    return out;
}

QByteArray propfind(const QByteArray &props)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                             "<d:propfind xmlns:d=\"DAV:\" "
                             "xmlns:c=\"urn:ietf:params:xml:ns:caldav\" "
                             "xmlns:cs=\"http://calendarserver.org/ns/\"><d:prop>") +
           props + QByteArrayLiteral("</d:prop></d:propfind>\n");
}

QByteArray escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

std::optional<Multistatus> parseMultistatus(const QByteArray &body, QString *why, XmlLimits limits)
{
    QString reason;
    const std::unique_ptr<Node> root = readTree(body, limits.depth, &reason);
    if (root && !root->is(dav, QLatin1StringView("multistatus")))
        reason = QStringLiteral("nem WebDAV-válasz (%1)").arg(root->name.left(40));
    if (!reason.isEmpty()) {
        if (why)
            *why = reason;
        return std::nullopt;
    }
    Multistatus out;
    out.syncToken = root->childText(dav, QLatin1StringView("sync-token"));
    for (const auto &child : root->children) {
        if (!child->is(dav, QLatin1StringView("response")))
            continue;
        if (out.responses.size() >= limits.responses) {
            if (why)
                *why = QStringLiteral("túl sok tétel (több mint %1)").arg(limits.responses);
            return std::nullopt;
        }
        out.responses << readResponse(*child);
    }
    return out;
}

bool namesInvalidSyncToken(const QByteArray &body)
{
    QString why;
    const std::unique_ptr<Node> root = readTree(body, 8, &why);
    return root && root->is(dav, QLatin1StringView("error")) &&
           root->child(dav, QLatin1StringView("valid-sync-token"));
}

namespace body {

QByteArray collectionState()
{
    return propfind("<d:resourcetype/><d:displayname/><cs:getctag/><d:sync-token/>"
                    "<d:supported-report-set/>");
}

QByteArray itemEtags()
{
    return propfind("<d:resourcetype/><d:getetag/>");
}

QByteArray calendarQuery()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<c:calendar-query xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
        "<d:prop><d:getetag/><c:calendar-data/></d:prop>"
        "<c:filter><c:comp-filter name=\"VCALENDAR\"><c:comp-filter name=\"VEVENT\"/>"
        "</c:comp-filter></c:filter></c:calendar-query>\n");
}

QByteArray multiget(const QStringList &hrefs)
{
    QByteArray out = QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<c:calendar-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
        "<d:prop><d:getetag/><c:calendar-data/></d:prop>");
    for (const QString &href : hrefs)
        out += "<d:href>" + escaped(href) + "</d:href>";
    return out + "</c:calendar-multiget>\n";
}

QByteArray syncCollection(const QString &token)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" +
           escaped(token) +
           "</d:sync-token><d:sync-level>1</d:sync-level>"
           "<d:prop><d:getetag/></d:prop></d:sync-collection>\n";
}

QByteArray principal()
{
    return propfind("<d:current-user-principal/><d:resourcetype/><c:calendar-home-set/>");
}

QByteArray calendarHome()
{
    return propfind("<c:calendar-home-set/>");
}

QByteArray calendars()
{
    return propfind("<d:resourcetype/><d:displayname/><cs:getctag/>"
                    "<c:supported-calendar-component-set/>");
}

QByteArray makeCalendar(const QString &displayName)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<c:mkcalendar xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
           "<d:set><d:prop><d:displayname>" +
           escaped(displayName) +
           "</d:displayname><c:supported-calendar-component-set><c:comp name=\"VEVENT\"/>"
           "</c:supported-calendar-component-set></d:prop></d:set></c:mkcalendar>\n";
}

} // namespace body

} // namespace quill::caldav
