#pragma once

// A CalDAV calendar of the tests' own on the fake server: items kept in memory under their
// addresses, each with a tag that changes with every write, a ctag and sync-tokens, and writes
// that honour If-None-Match and If-Match as a real server does.

#include "caldav/fakedav.h"

#include <QMap>
#include <QRegularExpression>

class FakeCalendar {
public:
    struct Item {
        QByteArray etag;
        QByteArray data;
    };
    FakeDav server;
    QByteArray path = "/cal/";
    QMap<QByteArray, Item> items;
    bool syncReports = true;
    /// Called before a write is judged: the place where "another device" writes meanwhile.
    std::function<void(const FakeRequest &)> beforeWrite;
    /// Answers instead of the calendar while set (a failing or silent server).
    std::function<std::optional<FakeReply>(const FakeRequest &)> fault;

    FakeCalendar()
    {
        server.handler = [this](const FakeRequest &r) { return answer(r); };
    }
    QString url() const { return QString::fromLatin1(server.base() + path); }

    /// Another device writes an item.
    void put(const QByteArray &name, const QByteArray &data)
    {
        ++m_revision;
        items[path + name] = {"\"e" + QByteArray::number(m_revision) + '"', data};
        m_log << std::pair{m_revision, path + name};
    }
    void drop(const QByteArray href) // a copy: it may be a key of the items
    {
        ++m_revision;
        items.remove(href);
        m_log << std::pair{m_revision, href};
    }
    int count(const QByteArray &method) const
    {
        return int(std::count_if(server.requests.cbegin(), server.requests.cend(),
                                 [&](const FakeRequest &r) { return r.method == method; }));
    }
    /// The item whose text holds `text`, or an empty address.
    QByteArray find(const QByteArray &text) const
    {
        for (auto it = items.cbegin(); it != items.cend(); ++it) {
            if (it->data.contains(text))
                return it.key();
        }
        return {};
    }

private:
    int m_revision = 1;
    QList<std::pair<int, QByteArray>> m_log;

    QByteArray token() const { return "http://fake/tok-" + QByteArray::number(m_revision); }

    FakeReply answer(const FakeRequest &r)
    {
        if (fault) {
            if (auto reply = fault(r))
                return *reply;
        }
        if (r.method == "PROPFIND")
            return r.header("depth") == "0" ? state() : listing();
        if (r.method == "REPORT")
            return r.body.contains("sync-collection") ? changes(r) : multiget(r);
        if (r.method == "PUT" || r.method == "DELETE") {
            if (beforeWrite)
                beforeWrite(r);
            return r.method == "PUT" ? write(r) : remove(r);
        }
        return FakeReply{405};
    }
    FakeReply state() const
    {
        QByteArray props = "<d:resourcetype><d:collection/><c:calendar/></d:resourcetype>"
                           "<cs:getctag>c" +
                           QByteArray::number(m_revision) + "</cs:getctag>";
        if (syncReports)
            props +=
                "<d:sync-token>" + token() +
                "</d:sync-token><d:supported-report-set><d:supported-report><d:report>"
                "<d:sync-collection/></d:report></d:supported-report></d:supported-report-set>";
        return FakeReply{207, multistatus(response(path, props))};
    }
    FakeReply listing() const
    {
        QByteArray out = response(path, "<d:resourcetype><d:collection/></d:resourcetype>");
        for (auto it = items.cbegin(); it != items.cend(); ++it)
            out += response(it.key(), "<d:getetag>" + it->etag + "</d:getetag>");
        return FakeReply{207, multistatus(out)};
    }
    FakeReply multiget(const FakeRequest &r) const
    {
        QByteArray out;
        static const QRegularExpression href(QStringLiteral("<d:href>([^<]*)</d:href>"));
        auto match = href.globalMatch(QString::fromUtf8(r.body));
        while (match.hasNext()) {
            const QByteArray wanted = match.next().captured(1).toUtf8();
            if (items.contains(wanted))
                out += response(
                    wanted, "<d:getetag>" + items[wanted].etag + "</d:getetag><c:calendar-data>" +
                                QString::fromUtf8(items[wanted].data).toHtmlEscaped().toUtf8() +
                                "</c:calendar-data>");
        }
        return FakeReply{207, multistatus(out)};
    }
    FakeReply changes(const FakeRequest &r) const
    {
        static const QRegularExpression tok(QStringLiteral("tok-([0-9]+)"));
        const auto m = tok.match(QString::fromUtf8(r.body));
        if (!m.hasMatch())
            return FakeReply{403, "<d:error xmlns:d=\"DAV:\"><d:valid-sync-token/></d:error>"};
        const int since = m.captured(1).toInt();
        QSet<QByteArray> touched;
        for (const auto &[revision, href] : m_log) {
            if (revision > since)
                touched.insert(href);
        }
        QByteArray out;
        for (const QByteArray &href : touched) {
            if (items.contains(href))
                out += response(href, "<d:getetag>" + items[href].etag + "</d:getetag>");
            else
                out += "<d:response><d:href>" + href +
                       "</d:href><d:status>HTTP/1.1 404 Not Found</d:status></d:response>";
        }
        return FakeReply{207, multistatus(out, "<d:sync-token>" + token() + "</d:sync-token>")};
    }
    FakeReply write(const FakeRequest &r)
    {
        const QByteArray match = r.header("if-match");
        const bool exists = items.contains(r.path);
        if ((r.header("if-none-match") == "*" && exists) ||
            (!match.isEmpty() && (!exists || items[r.path].etag != match)))
            return FakeReply{412};
        put(r.path.mid(path.size()), r.body);
        return FakeReply{exists ? 204 : 201, {}, {{"ETag", items[r.path].etag}}};
    }
    FakeReply remove(const FakeRequest &r)
    {
        if (!items.contains(r.path))
            return FakeReply{404};
        if (items[r.path].etag != r.header("if-match"))
            return FakeReply{412};
        drop(r.path);
        return FakeReply{204};
    }
};
